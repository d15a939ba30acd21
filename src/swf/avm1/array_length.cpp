// An array's length as the player keeps it: a signed 32-bit number that grows when an
// element at or past it is set (wrapping past the largest index) and that, when it
// shrinks, takes the elements at and beyond it away.
#include <algorithm>

#include "swf/avm1/interpreter.h"

namespace tavelin::swf::avm1 {
namespace {

// Names of elements: an optional minus and decimal digits, read digit by digit in 32-bit
// arithmetic that wraps ("4294967296" is element 0).
bool ElementIndex(const std::string& text, std::int32_t& index) {
  const bool negative = text.size() > 1 && text[0] == '-';
  std::size_t i = negative ? 1 : 0;
  if (i == text.size()) return false;
  std::uint32_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
  }
  index = static_cast<std::int32_t>(negative ? 0u - value : value);
  return true;
}

}  // namespace

std::int32_t Interpreter::SignedArrayLength(Object* array) const {
  return array->primitive.IsNumber() ? static_cast<std::int32_t>(array->primitive.number) : 0;
}

void Interpreter::SetArrayLength(Object* array, std::int32_t length) {
  const std::int32_t old = SignedArrayLength(array);
  array->primitive = Value(static_cast<double>(length));
  if (length >= old) return;
  const std::int64_t from = std::max<std::int32_t>(0, length);
  const std::int64_t span = static_cast<std::int64_t>(old) - from;
  if (span <= 0) return;
  if (static_cast<std::size_t>(span) <= array->Properties().size() * 2) {
    for (std::int64_t i = from; i < old; ++i) Delete(array, heap_.NumberName(static_cast<std::size_t>(i)));
    return;
  }
  // A long span over few properties: look at the properties instead of every index.
  std::vector<String*> doomed;
  for (const Property& property : array->Properties()) {
    std::int32_t index = 0;
    if (ElementIndex(property.key->text, index) && index >= from && index < old) doomed.push_back(property.name);
  }
  for (String* name : doomed) Delete(array, name);
}

void Interpreter::ElementWritten(Object* array, String* key) {
  std::int32_t index = 0;
  if (!ElementIndex(key->text, index)) return;
  if (index >= SignedArrayLength(array)) {
    SetArrayLength(array, static_cast<std::int32_t>(static_cast<std::uint32_t>(index) + 1u));
  }
}

}  // namespace tavelin::swf::avm1
