#include "action_assembler.h"

#include <cstring>
#include <stdexcept>

namespace tavelin::testing {
namespace {

void U16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void U32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  U16(out, v & 0xFFFF);
  U16(out, v >> 16);
}
void Text(std::vector<std::uint8_t>& out, const std::string& text) {
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
}

}  // namespace

void ActionAssembler::Record(std::uint8_t code, const std::vector<std::uint8_t>& body) {
  bytes_.push_back(code);
  if (code >= 0x80) {
    U16(bytes_, static_cast<std::uint32_t>(body.size()));
    bytes_.insert(bytes_.end(), body.begin(), body.end());
  }
}

ActionAssembler& ActionAssembler::Push(std::initializer_list<PushValue> values) {
  std::vector<std::uint8_t> body;
  for (const PushValue& value : values) {
    if (const auto* s = std::get_if<std::string>(&value)) {
      body.push_back(0);
      Text(body, *s);
    } else if (const auto* c = std::get_if<const char*>(&value)) {
      body.push_back(0);
      Text(body, *c);
    } else if (const auto* d = std::get_if<double>(&value)) {
      body.push_back(6);
      std::uint64_t bits;
      std::memcpy(&bits, d, sizeof bits);
      U32(body, static_cast<std::uint32_t>(bits >> 32));
      U32(body, static_cast<std::uint32_t>(bits));
    } else if (const auto* i = std::get_if<int>(&value)) {
      body.push_back(7);
      U32(body, static_cast<std::uint32_t>(*i));
    } else if (const auto* b = std::get_if<bool>(&value)) {
      body.push_back(5);
      body.push_back(*b ? 1 : 0);
    } else if (std::holds_alternative<Null>(value)) {
      body.push_back(2);
    } else if (std::holds_alternative<Undefined>(value)) {
      body.push_back(3);
    } else if (const auto* r = std::get_if<Register>(&value)) {
      body.push_back(4);
      body.push_back(r->number);
    } else if (const auto* k = std::get_if<Constant>(&value)) {
      if (k->index < 256) {
        body.push_back(8);
        body.push_back(static_cast<std::uint8_t>(k->index));
      } else {
        body.push_back(9);
        U16(body, k->index);
      }
    }
  }
  Record(0x96, body);
  return *this;
}

ActionAssembler& ActionAssembler::Op(std::uint8_t code) {
  if (code >= 0x80) throw std::invalid_argument("records with a body have their own writer");
  Record(code, {});
  return *this;
}

ActionAssembler& ActionAssembler::ConstantPool(const std::vector<std::string>& names) {
  std::vector<std::uint8_t> body;
  U16(body, static_cast<std::uint32_t>(names.size()));
  for (const std::string& name : names) Text(body, name);
  Record(0x88, body);
  return *this;
}

ActionAssembler& ActionAssembler::StoreRegister(std::uint8_t number) {
  Record(0x87, {number});
  return *this;
}

ActionAssembler& ActionAssembler::GotoFrame(std::uint16_t frame) {
  std::vector<std::uint8_t> body;
  U16(body, frame);
  Record(0x81, body);
  return *this;
}

ActionAssembler& ActionAssembler::GotoLabel(const std::string& label) {
  std::vector<std::uint8_t> body;
  Text(body, label);
  Record(0x8C, body);
  return *this;
}

ActionAssembler& ActionAssembler::GotoFrame2(bool play) {
  Record(0x9F, {static_cast<std::uint8_t>(play ? 1 : 0)});
  return *this;
}

ActionAssembler& ActionAssembler::SetTarget(const std::string& target) {
  std::vector<std::uint8_t> body;
  Text(body, target);
  Record(0x8B, body);
  return *this;
}

ActionAssembler& ActionAssembler::GetUrl2(std::uint8_t flags) {
  Record(0x9A, {flags});
  return *this;
}

ActionAssembler& ActionAssembler::GetUrl(const std::string& url, const std::string& target) {
  std::vector<std::uint8_t> body;
  Text(body, url);
  Text(body, target);
  Record(0x83, body);
  return *this;
}

ActionAssembler& ActionAssembler::Label(const std::string& name) {
  labels_[name] = bytes_.size();
  return *this;
}

ActionAssembler& ActionAssembler::Jump(const std::string& label) {
  Record(0x99, {0, 0});
  branches_.emplace_back(bytes_.size() - 2, label);
  return *this;
}

ActionAssembler& ActionAssembler::If(const std::string& label) {
  Record(0x9D, {0, 0});
  branches_.emplace_back(bytes_.size() - 2, label);
  return *this;
}

ActionAssembler& ActionAssembler::DefineFunction(const std::string& name, const std::vector<std::string>& parameters,
                                                 const ActionAssembler& body) {
  const auto code = body.Bytes(false);
  std::vector<std::uint8_t> record;
  Text(record, name);
  U16(record, static_cast<std::uint32_t>(parameters.size()));
  for (const std::string& parameter : parameters) Text(record, parameter);
  U16(record, static_cast<std::uint32_t>(code.size()));
  Record(0x9B, record);
  bytes_.insert(bytes_.end(), code.begin(), code.end());
  return *this;
}

ActionAssembler& ActionAssembler::DefineFunction2(const std::string& name, std::uint8_t registers, std::uint16_t flags,
                                                  const std::vector<std::pair<std::uint8_t, std::string>>& parameters,
                                                  const ActionAssembler& body) {
  const auto code = body.Bytes(false);
  std::vector<std::uint8_t> record;
  Text(record, name);
  U16(record, static_cast<std::uint32_t>(parameters.size()));
  record.push_back(registers);
  U16(record, flags);
  for (const auto& [reg, parameter] : parameters) {
    record.push_back(reg);
    Text(record, parameter);
  }
  U16(record, static_cast<std::uint32_t>(code.size()));
  Record(0x8E, record);
  bytes_.insert(bytes_.end(), code.begin(), code.end());
  return *this;
}

ActionAssembler& ActionAssembler::With(const ActionAssembler& body) {
  const auto code = body.Bytes(false);
  std::vector<std::uint8_t> record;
  U16(record, static_cast<std::uint32_t>(code.size()));
  Record(0x94, record);
  bytes_.insert(bytes_.end(), code.begin(), code.end());
  return *this;
}

ActionAssembler& ActionAssembler::Try(const ActionAssembler& body, const std::string& catchName, const ActionAssembler* handler,
                                      const ActionAssembler* last) {
  const auto tryCode = body.Bytes(false);
  const auto catchCode = handler ? handler->Bytes(false) : std::vector<std::uint8_t>();
  const auto finallyCode = last ? last->Bytes(false) : std::vector<std::uint8_t>();
  std::vector<std::uint8_t> record;
  record.push_back(static_cast<std::uint8_t>((handler ? 1 : 0) | (last ? 2 : 0)));
  U16(record, static_cast<std::uint32_t>(tryCode.size()));
  U16(record, static_cast<std::uint32_t>(catchCode.size()));
  U16(record, static_cast<std::uint32_t>(finallyCode.size()));
  Text(record, catchName);
  Record(0x8F, record);
  bytes_.insert(bytes_.end(), tryCode.begin(), tryCode.end());
  bytes_.insert(bytes_.end(), catchCode.begin(), catchCode.end());
  bytes_.insert(bytes_.end(), finallyCode.begin(), finallyCode.end());
  return *this;
}

ActionAssembler& ActionAssembler::Trace(PushValue value) {
  std::visit([this](const auto& v) { Push({PushValue(v)}); }, value);
  return Op(0x26);
}

ActionAssembler& ActionAssembler::TraceVariable(const std::string& name) { return Push({name}).Op(0x1C).Op(0x26); }

ActionAssembler& ActionAssembler::Set(const std::string& name, PushValue value) {
  Push({name});
  std::visit([this](const auto& v) { Push({PushValue(v)}); }, value);
  return Op(0x1D);
}

std::vector<std::uint8_t> ActionAssembler::Bytes(bool end) const {
  std::vector<std::uint8_t> out = bytes_;
  for (const auto& [at, label] : branches_) {
    const auto found = labels_.find(label);
    if (found == labels_.end()) throw std::invalid_argument("no label " + label);
    const auto offset = static_cast<std::int16_t>(static_cast<std::ptrdiff_t>(found->second) - static_cast<std::ptrdiff_t>(at + 2));
    out[at] = static_cast<std::uint8_t>(offset);
    out[at + 1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(offset) >> 8);
  }
  if (end) out.push_back(0);
  return out;
}

void AddDoAction(SwfWriter& writer, const ActionAssembler& actions) { writer.RawTag(12, actions.Bytes()); }

void AddDoInitAction(SwfWriter& writer, std::uint16_t spriteId, const ActionAssembler& actions) {
  std::vector<std::uint8_t> body;
  U16(body, spriteId);
  const auto code = actions.Bytes();
  body.insert(body.end(), code.begin(), code.end());
  writer.RawTag(59, body);
}

void AddExportAssets(SwfWriter& writer, const std::vector<std::pair<std::uint16_t, std::string>>& names) {
  std::vector<std::uint8_t> body;
  U16(body, static_cast<std::uint32_t>(names.size()));
  for (const auto& [id, name] : names) {
    U16(body, id);
    Text(body, name);
  }
  writer.RawTag(56, body);
}

void AddFrameLabel(SwfWriter& writer, const std::string& label) {
  std::vector<std::uint8_t> body;
  Text(body, label);
  writer.RawTag(43, body);
}

void AddPlaceWithEvents(SwfWriter& writer, std::uint16_t depth, std::uint16_t id, const std::string& name,
                        const std::vector<std::pair<std::uint32_t, ActionAssembler>>& handlers) {
  std::vector<std::uint8_t> body;
  body.push_back(0x80 | 0x20 | 0x02);  // clip actions, name, character
  U16(body, depth);
  U16(body, id);
  Text(body, name);
  U16(body, 0);
  std::uint32_t all = 0;
  for (const auto& [events, code] : handlers) all |= events;
  U32(body, all);
  for (const auto& [events, code] : handlers) {
    U32(body, events);
    const auto bytes = code.Bytes();
    U32(body, static_cast<std::uint32_t>(bytes.size()));
    body.insert(body.end(), bytes.begin(), bytes.end());
  }
  U32(body, 0);
  writer.RawTag(26, body);
}

void AddButton(SwfWriter& writer, std::uint16_t id, const std::vector<ButtonPart>& parts,
               const std::vector<std::pair<std::uint16_t, ActionAssembler>>& actions) {
  std::vector<std::uint8_t> body;
  U16(body, id);
  body.push_back(0);  // not a menu
  const std::size_t offsetAt = body.size();
  U16(body, 0);
  for (const ButtonPart& part : parts) {
    body.push_back(part.states);
    U16(body, part.characterId);
    U16(body, part.depth);
    body.push_back(0);     // identity matrix: no scale, no rotate, 0-bit translation
    body.push_back(0);     // colour transform with alpha: no terms
  }
  body.push_back(0);
  if (!actions.empty()) {
    const std::size_t offset = body.size() - offsetAt;
    body[offsetAt] = static_cast<std::uint8_t>(offset);
    body[offsetAt + 1] = static_cast<std::uint8_t>(offset >> 8);
  }
  for (std::size_t i = 0; i < actions.size(); ++i) {
    const auto code = actions[i].second.Bytes();
    U16(body, i + 1 == actions.size() ? 0 : static_cast<std::uint32_t>(code.size() + 4));
    U16(body, actions[i].first);
    body.insert(body.end(), code.begin(), code.end());
  }
  writer.RawTag(34, body);
}

}  // namespace tavelin::testing
