#pragma once
// Writes action records for test movies: pushes, the one-byte actions, branches to
// labels, constant pools, functions (both kinds), With and Try blocks, and the tags
// that carry actions (DoAction, DoInitAction, ExportAssets, DefineButton2, clip events).

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "swf_writer.h"

namespace tavelin::testing {

struct Null {};
struct Undefined {};
struct Register {
  std::uint8_t number = 0;
};
struct Constant {
  std::uint16_t index = 0;
};
using PushValue = std::variant<std::string, const char*, double, int, bool, Null, Undefined, Register, Constant>;

class ActionAssembler {
 public:
  ActionAssembler& Push(std::initializer_list<PushValue> values);
  // A one-byte action (format::action_code).
  ActionAssembler& Op(std::uint8_t code);
  ActionAssembler& ConstantPool(const std::vector<std::string>& names);
  ActionAssembler& StoreRegister(std::uint8_t number);
  ActionAssembler& GotoFrame(std::uint16_t frame);
  ActionAssembler& GotoLabel(const std::string& label);
  ActionAssembler& GotoFrame2(bool play);
  ActionAssembler& SetTarget(const std::string& target);
  ActionAssembler& GetUrl(const std::string& url, const std::string& target);
  // GetURL2 of the address and window on the stack; flags 0x40 a clip target, 0x80 variables.
  ActionAssembler& GetUrl2(std::uint8_t flags);
  ActionAssembler& Label(const std::string& name);
  ActionAssembler& Jump(const std::string& label);
  ActionAssembler& If(const std::string& label);
  ActionAssembler& DefineFunction(const std::string& name, const std::vector<std::string>& parameters, const ActionAssembler& body);
  // Parameters as (register, name); register 0 keeps the parameter a named variable.
  ActionAssembler& DefineFunction2(const std::string& name, std::uint8_t registers, std::uint16_t flags,
                                   const std::vector<std::pair<std::uint8_t, std::string>>& parameters,
                                   const ActionAssembler& body);
  ActionAssembler& With(const ActionAssembler& body);
  // try { body } catch (name) { handler } finally { last }: empty blocks are left out.
  ActionAssembler& Try(const ActionAssembler& body, const std::string& catchName, const ActionAssembler* handler,
                       const ActionAssembler* last);

  // Shorthands for common statements.
  ActionAssembler& Trace(PushValue value);       // trace(value)
  ActionAssembler& TraceVariable(const std::string& name);
  ActionAssembler& Set(const std::string& name, PushValue value);

  // The records, closed with an End action when `end`.
  std::vector<std::uint8_t> Bytes(bool end = true) const;

 private:
  void Record(std::uint8_t code, const std::vector<std::uint8_t>& body);

  std::vector<std::uint8_t> bytes_;
  std::map<std::string, std::size_t> labels_;
  std::vector<std::pair<std::size_t, std::string>> branches_;  // offset of the s16 field, label
};

// Tag bodies and writers for action-carrying tags.
void AddDoAction(SwfWriter& writer, const ActionAssembler& actions);
void AddDoInitAction(SwfWriter& writer, std::uint16_t spriteId, const ActionAssembler& actions);
void AddExportAssets(SwfWriter& writer, const std::vector<std::pair<std::uint16_t, std::string>>& names);
void AddFrameLabel(SwfWriter& writer, const std::string& label);
// PlaceObject2 of `id` at `depth` named `name` with clip event handlers (event flags as
// the format gives them, movie version 6 and later).
void AddPlaceWithEvents(SwfWriter& writer, std::uint16_t depth, std::uint16_t id, const std::string& name,
                        const std::vector<std::pair<std::uint32_t, ActionAssembler>>& handlers);
struct ButtonPart {
  std::uint8_t states = 0;  // 1 up, 2 over, 4 down, 8 hit area
  std::uint16_t characterId = 0;
  std::uint16_t depth = 1;
};
// DefineButton2 with its records and conditional actions.
void AddButton(SwfWriter& writer, std::uint16_t id, const std::vector<ButtonPart>& parts,
               const std::vector<std::pair<std::uint16_t, ActionAssembler>>& actions);

}  // namespace tavelin::testing
