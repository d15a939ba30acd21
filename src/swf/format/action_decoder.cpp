#include "swf/format/action_decoder.h"

#include <algorithm>
#include <cstring>

#include "swf/format/reader.h"

namespace tavelin::swf::format {
namespace {

namespace op = action_code;


class Decoder {
 public:
  explicit Decoder(std::span<const std::uint8_t> bytes) : bytes_(bytes), program_(std::make_shared<ActionProgram>()) {}

  std::shared_ptr<const ActionProgram> Run() {
    std::size_t position = 0;
    while (position < bytes_.size() && program_->actions.size() < kMaxActions) {
      const std::uint8_t code = bytes_[position];
      std::size_t length = 0;
      std::size_t bodyAt = position + 1;
      if (code >= 0x80) {
        if (position + 3 > bytes_.size()) break;
        length = bytes_[position + 1] | (bytes_[position + 2] << 8);
        bodyAt = position + 3;
        if (bodyAt + length > bytes_.size()) break;
      }
      const std::size_t next = bodyAt + length;
      offsets_.push_back(position);
      program_->actions.push_back(Action{code, 0, 0, 0});
      try {
        Decode(program_->actions.size() - 1, bytes_.subspan(bodyAt, length), next);
      } catch (const DecodeError&) {
        program_->actions.back().code = op::kEnd;  // a damaged record ends the program
      }
      position = next;
    }
    end_ = position;
    Resolve();
    return program_;
  }

 private:
  std::uint32_t AddString(std::string text) {
    program_->strings.push_back(std::move(text));
    return static_cast<std::uint32_t>(program_->strings.size() - 1);
  }

  // Offsets are recorded now and turned into indices in Resolve; the action vector may
  // grow in between, so fields are addressed by index, not by pointer.
  void Target(std::size_t actionIndex, int field, std::size_t offset) { pendingActions_.push_back({actionIndex, field, offset}); }

  void Decode(std::size_t index, std::span<const std::uint8_t> body, std::size_t next) {
    Action& action = program_->actions[index];
    Reader reader(body);
    switch (action.code) {
      case op::kGotoFrame:
        action.a = reader.U16();
        break;
      case op::kGetUrl:
        action.a = AddString(reader.String());
        action.b = AddString(reader.AtEnd() ? std::string() : reader.String());
        break;
      case op::kWaitForFrame:
        action.a = reader.U16();
        action.b = reader.U8();
        break;
      case op::kWaitForFrame2:
        action.b = reader.U8();
        break;
      case op::kSetTarget:
      case op::kGotoLabel:
        action.a = AddString(reader.String());
        break;
      case op::kStoreRegister:
      case op::kGetUrl2:
        action.a = reader.U8();
        break;
      case op::kGotoFrame2:
        action.a = reader.U8();
        if (action.a & 0x02) action.b = reader.U16();
        break;
      case op::kJump:
      case op::kIf: {
        const std::int16_t offset = reader.S16();
        const std::int64_t target = static_cast<std::int64_t>(next) + offset;
        Target(index, 0, target < 0 ? SIZE_MAX : static_cast<std::size_t>(target));
        break;
      }
      case op::kWith:
        Target(index, 0, next + reader.U16());
        break;
      case op::kConstantPool: {
        const std::size_t count = reader.U16();
        std::vector<std::uint32_t> pool;
        for (std::size_t i = 0; i < count && !reader.AtEnd(); ++i) pool.push_back(AddString(reader.String()));
        program_->constantPools.push_back(std::move(pool));
        action.a = static_cast<std::uint32_t>(program_->constantPools.size() - 1);
        break;
      }
      case op::kPush:
        DecodePush(action, reader);
        break;
      case op::kDefineFunction:
      case op::kDefineFunction2:
        DecodeFunction(index, reader, next);
        break;
      case op::kTry:
        DecodeTry(index, reader, next);
        break;
      default:
        break;
    }
  }

  void DecodePush(Action& action, Reader& reader) {
    action.a = static_cast<std::uint32_t>(program_->pushItems.size());
    while (!reader.AtEnd()) {
      PushItem item;
      switch (reader.U8()) {
        case 0: item.kind = PushItem::Kind::kString; item.text = AddString(reader.String()); break;
        case 1: item.kind = PushItem::Kind::kNumber; item.number = reader.Float32(); break;
        case 2: item.kind = PushItem::Kind::kNull; break;
        case 3: item.kind = PushItem::Kind::kUndefined; break;
        case 4: item.kind = PushItem::Kind::kRegister; item.number = reader.U8(); break;
        case 5: item.kind = PushItem::Kind::kBoolean; item.number = reader.U8() ? 1 : 0; break;
        case 6: {
          // The high word comes first.
          const std::uint64_t high = reader.U32();
          const std::uint64_t low = reader.U32();
          const std::uint64_t bits = (high << 32) | low;
          item.kind = PushItem::Kind::kNumber;
          std::memcpy(&item.number, &bits, sizeof bits);
          break;
        }
        case 7: item.kind = PushItem::Kind::kNumber; item.number = static_cast<std::int32_t>(reader.U32()); break;
        case 8: item.kind = PushItem::Kind::kConstant; item.number = reader.U8(); break;
        case 9: item.kind = PushItem::Kind::kConstant; item.number = reader.U16(); break;
        default: throw DecodeError("unknown push type");
      }
      program_->pushItems.push_back(item);
      ++action.c;
    }
  }

  void DecodeFunction(std::size_t index, Reader& reader, std::size_t next) {
    FunctionInfo info;
    info.v2 = program_->actions[index].code == op::kDefineFunction2;
    info.name = AddString(reader.String());
    const std::size_t count = reader.U16();
    if (info.v2) {
      info.registerCount = reader.U8();
      info.flags = reader.U16();
    }
    for (std::size_t i = 0; i < count; ++i) {
      FunctionInfo::Parameter parameter;
      if (info.v2) parameter.reg = reader.U8();
      parameter.name = AddString(reader.String());
      info.parameters.push_back(parameter);
    }
    const std::size_t size = reader.U16();
    program_->functions.push_back(std::move(info));
    const auto slot = program_->functions.size() - 1;
    program_->actions[index].a = static_cast<std::uint32_t>(slot);
    functionEnds_.push_back({slot, index + 1, next + size});
  }

  void DecodeTry(std::size_t index, Reader& reader, std::size_t next) {
    TryInfo info;
    const std::uint8_t flags = reader.U8();
    info.hasCatch = flags & 0x01;
    info.hasFinally = flags & 0x02;
    info.catchInRegister = flags & 0x04;
    const std::size_t trySize = reader.U16();
    const std::size_t catchSize = reader.U16();
    const std::size_t finallySize = reader.U16();
    if (info.catchInRegister) {
      info.catchRegister = reader.U8();
    } else {
      info.catchName = AddString(reader.String());
    }
    program_->tries.push_back(info);
    const auto slot = program_->tries.size() - 1;
    program_->actions[index].a = static_cast<std::uint32_t>(slot);
    tryEnds_.push_back({slot, next + trySize, next + trySize + catchSize, next + trySize + catchSize + finallySize});
  }

  std::uint32_t IndexAt(std::size_t offset) const {
    if (offset >= end_) return static_cast<std::uint32_t>(program_->actions.size());
    const auto found = std::lower_bound(offsets_.begin(), offsets_.end(), offset);
    if (found == offsets_.end() || *found != offset) return static_cast<std::uint32_t>(program_->actions.size());
    return static_cast<std::uint32_t>(found - offsets_.begin());
  }

  void Resolve() {
    for (const auto& pending : pendingActions_) program_->actions[pending.action].a = IndexAt(pending.offset);
    for (const auto& function : functionEnds_) {
      FunctionInfo& info = program_->functions[function.slot];
      info.bodyBegin = static_cast<std::uint32_t>(std::min(function.begin, program_->actions.size()));
      info.bodyEnd = std::max(info.bodyBegin, IndexAt(function.endOffset));
    }
    for (const auto& block : tryEnds_) {
      TryInfo& info = program_->tries[block.slot];
      info.tryEnd = IndexAt(block.tryEnd);
      info.catchEnd = std::max(info.tryEnd, IndexAt(block.catchEnd));
      info.finallyEnd = std::max(info.catchEnd, IndexAt(block.finallyEnd));
    }
  }

  struct PendingAction {
    std::size_t action;
    int field;
    std::size_t offset;
  };
  struct PendingFunction {
    std::size_t slot;
    std::size_t begin;
    std::size_t endOffset;
  };
  struct PendingTry {
    std::size_t slot;
    std::size_t tryEnd, catchEnd, finallyEnd;
  };

  std::span<const std::uint8_t> bytes_;
  std::shared_ptr<ActionProgram> program_;
  std::vector<std::size_t> offsets_;
  std::size_t end_ = 0;
  std::vector<PendingAction> pendingActions_;
  std::vector<PendingFunction> functionEnds_;
  std::vector<PendingTry> tryEnds_;
};

}  // namespace

std::shared_ptr<const ActionProgram> DecodeActions(std::span<const std::uint8_t> bytes) { return Decoder(bytes).Run(); }

}  // namespace tavelin::swf::format
