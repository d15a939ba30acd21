#pragma once
// Decodes action records (DoAction, DoInitAction, clip and button actions) into a
// program the script machine runs without looking at bytes again: operands are read
// once, branch offsets become indices of actions, and function bodies, With blocks and
// Try blocks become index ranges.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tavelin::swf::format {

namespace action_code {
inline constexpr std::uint8_t kEnd = 0x00;
inline constexpr std::uint8_t kNextFrame = 0x04;
inline constexpr std::uint8_t kPrevFrame = 0x05;
inline constexpr std::uint8_t kPlay = 0x06;
inline constexpr std::uint8_t kStop = 0x07;
inline constexpr std::uint8_t kToggleQuality = 0x08;
inline constexpr std::uint8_t kStopSounds = 0x09;
inline constexpr std::uint8_t kAdd = 0x0A;
inline constexpr std::uint8_t kSubtract = 0x0B;
inline constexpr std::uint8_t kMultiply = 0x0C;
inline constexpr std::uint8_t kDivide = 0x0D;
inline constexpr std::uint8_t kEquals = 0x0E;
inline constexpr std::uint8_t kLess = 0x0F;
inline constexpr std::uint8_t kAnd = 0x10;
inline constexpr std::uint8_t kOr = 0x11;
inline constexpr std::uint8_t kNot = 0x12;
inline constexpr std::uint8_t kStringEquals = 0x13;
inline constexpr std::uint8_t kStringLength = 0x14;
inline constexpr std::uint8_t kStringExtract = 0x15;
inline constexpr std::uint8_t kPop = 0x17;
inline constexpr std::uint8_t kToInteger = 0x18;
inline constexpr std::uint8_t kGetVariable = 0x1C;
inline constexpr std::uint8_t kSetVariable = 0x1D;
inline constexpr std::uint8_t kSetTarget2 = 0x20;
inline constexpr std::uint8_t kStringAdd = 0x21;
inline constexpr std::uint8_t kGetProperty = 0x22;
inline constexpr std::uint8_t kSetProperty = 0x23;
inline constexpr std::uint8_t kCloneSprite = 0x24;
inline constexpr std::uint8_t kRemoveSprite = 0x25;
inline constexpr std::uint8_t kTrace = 0x26;
inline constexpr std::uint8_t kStartDrag = 0x27;
inline constexpr std::uint8_t kEndDrag = 0x28;
inline constexpr std::uint8_t kStringLess = 0x29;
inline constexpr std::uint8_t kThrow = 0x2A;
inline constexpr std::uint8_t kCastOp = 0x2B;
inline constexpr std::uint8_t kImplementsOp = 0x2C;
inline constexpr std::uint8_t kRandomNumber = 0x30;
inline constexpr std::uint8_t kMbStringLength = 0x31;
inline constexpr std::uint8_t kCharToAscii = 0x32;
inline constexpr std::uint8_t kAsciiToChar = 0x33;
inline constexpr std::uint8_t kGetTime = 0x34;
inline constexpr std::uint8_t kMbStringExtract = 0x35;
inline constexpr std::uint8_t kMbCharToAscii = 0x36;
inline constexpr std::uint8_t kMbAsciiToChar = 0x37;
inline constexpr std::uint8_t kDelete = 0x3A;
inline constexpr std::uint8_t kDelete2 = 0x3B;
inline constexpr std::uint8_t kDefineLocal = 0x3C;
inline constexpr std::uint8_t kCallFunction = 0x3D;
inline constexpr std::uint8_t kReturn = 0x3E;
inline constexpr std::uint8_t kModulo = 0x3F;
inline constexpr std::uint8_t kNewObject = 0x40;
inline constexpr std::uint8_t kDefineLocal2 = 0x41;
inline constexpr std::uint8_t kInitArray = 0x42;
inline constexpr std::uint8_t kInitObject = 0x43;
inline constexpr std::uint8_t kTypeOf = 0x44;
inline constexpr std::uint8_t kTargetPath = 0x45;
inline constexpr std::uint8_t kEnumerate = 0x46;
inline constexpr std::uint8_t kAdd2 = 0x47;
inline constexpr std::uint8_t kLess2 = 0x48;
inline constexpr std::uint8_t kEquals2 = 0x49;
inline constexpr std::uint8_t kToNumber = 0x4A;
inline constexpr std::uint8_t kToString = 0x4B;
inline constexpr std::uint8_t kPushDuplicate = 0x4C;
inline constexpr std::uint8_t kStackSwap = 0x4D;
inline constexpr std::uint8_t kGetMember = 0x4E;
inline constexpr std::uint8_t kSetMember = 0x4F;
inline constexpr std::uint8_t kIncrement = 0x50;
inline constexpr std::uint8_t kDecrement = 0x51;
inline constexpr std::uint8_t kCallMethod = 0x52;
inline constexpr std::uint8_t kNewMethod = 0x53;
inline constexpr std::uint8_t kInstanceOf = 0x54;
inline constexpr std::uint8_t kEnumerate2 = 0x55;
inline constexpr std::uint8_t kBitAnd = 0x60;
inline constexpr std::uint8_t kBitOr = 0x61;
inline constexpr std::uint8_t kBitXor = 0x62;
inline constexpr std::uint8_t kBitLShift = 0x63;
inline constexpr std::uint8_t kBitRShift = 0x64;
inline constexpr std::uint8_t kBitURShift = 0x65;
inline constexpr std::uint8_t kStrictEquals = 0x66;
inline constexpr std::uint8_t kGreater = 0x67;
inline constexpr std::uint8_t kStringGreater = 0x68;
inline constexpr std::uint8_t kExtends = 0x69;
inline constexpr std::uint8_t kGotoFrame = 0x81;
inline constexpr std::uint8_t kGetUrl = 0x83;
inline constexpr std::uint8_t kStoreRegister = 0x87;
inline constexpr std::uint8_t kConstantPool = 0x88;
inline constexpr std::uint8_t kWaitForFrame = 0x8A;
inline constexpr std::uint8_t kSetTarget = 0x8B;
inline constexpr std::uint8_t kGotoLabel = 0x8C;
inline constexpr std::uint8_t kWaitForFrame2 = 0x8D;
inline constexpr std::uint8_t kDefineFunction2 = 0x8E;
inline constexpr std::uint8_t kTry = 0x8F;
inline constexpr std::uint8_t kWith = 0x94;
inline constexpr std::uint8_t kPush = 0x96;
inline constexpr std::uint8_t kJump = 0x99;
inline constexpr std::uint8_t kGetUrl2 = 0x9A;
inline constexpr std::uint8_t kDefineFunction = 0x9B;
inline constexpr std::uint8_t kIf = 0x9D;
inline constexpr std::uint8_t kCall = 0x9E;
inline constexpr std::uint8_t kGotoFrame2 = 0x9F;
}  // namespace action_code

// One value of a Push record.
struct PushItem {
  enum class Kind : std::uint8_t { kString, kNumber, kNull, kUndefined, kRegister, kBoolean, kConstant };
  Kind kind = Kind::kUndefined;
  double number = 0;     // kNumber; kBoolean 0/1; kRegister and kConstant: the index
  std::uint32_t text = 0;  // kString: index into ActionProgram::strings
};

// DefineFunction and DefineFunction2.
struct FunctionInfo {
  std::uint32_t name = 0;  // into ActionProgram::strings; empty name: an anonymous function
  struct Parameter {
    std::uint32_t name = 0;
    std::uint8_t reg = 0;  // DefineFunction2: 0 keeps it a named local
  };
  std::vector<Parameter> parameters;
  std::uint8_t registerCount = 0;
  std::uint16_t flags = 0;  // DefineFunction2's preload and suppress flags
  bool v2 = false;
  std::uint32_t bodyBegin = 0, bodyEnd = 0;  // action indices
};

namespace function_flag {
inline constexpr std::uint16_t kPreloadThis = 0x0001;
inline constexpr std::uint16_t kSuppressThis = 0x0002;
inline constexpr std::uint16_t kPreloadArguments = 0x0004;
inline constexpr std::uint16_t kSuppressArguments = 0x0008;
inline constexpr std::uint16_t kPreloadSuper = 0x0010;
inline constexpr std::uint16_t kSuppressSuper = 0x0020;
inline constexpr std::uint16_t kPreloadRoot = 0x0040;
inline constexpr std::uint16_t kPreloadParent = 0x0080;
inline constexpr std::uint16_t kPreloadGlobal = 0x0100;
}  // namespace function_flag

struct TryInfo {
  std::uint32_t tryEnd = 0, catchEnd = 0, finallyEnd = 0;  // action indices
  bool hasCatch = false, hasFinally = false, catchInRegister = false;
  std::uint8_t catchRegister = 0;
  std::uint32_t catchName = 0;
};

struct Action {
  std::uint8_t code = 0;
  // Operands by kind: Jump/If: target index; GotoFrame, WaitForFrame: frame; StoreRegister,
  // GetUrl2, GotoFrame2 flags; With: end index; ConstantPool/Push/Function/Try: index
  // into the program's side tables; SetTarget/GotoLabel: string index; GetUrl: url string.
  std::uint32_t a = 0;
  std::uint32_t b = 0;  // GetUrl: target string; WaitForFrame*: skip count; GotoFrame2: scene bias
  std::uint32_t c = 0;  // Push: item count
};

// A decoded block of actions. Indices past the last action end the block.
struct ActionProgram {
  std::vector<Action> actions;
  std::vector<std::string> strings;
  std::vector<PushItem> pushItems;
  std::vector<std::vector<std::uint32_t>> constantPools;  // string indices
  std::vector<FunctionInfo> functions;
  std::vector<TryInfo> tries;
};

// Decodes action records until an End action or the bytes' end. A record that runs past
// the bytes, or a branch into the middle of a record, ends the program there (a branch to
// nowhere goes to the end). Never throws; at most kMaxActions actions are kept.
inline constexpr std::size_t kMaxActions = 1'000'000;
std::shared_ptr<const ActionProgram> DecodeActions(std::span<const std::uint8_t> bytes);

}  // namespace tavelin::swf::format
