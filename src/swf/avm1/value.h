#pragma once
// The script machine's values and the cells its heap collects: strings (all interned,
// so equal texts are one cell) and objects.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavelin::swf::avm1 {

class Object;
class Heap;

// Anything the heap owns. Cells are freed by the collector when nothing reaches them.
class Cell {
 public:
  virtual ~Cell() = default;
  // Pushes the cells this one keeps alive.
  virtual void TraceChildren(std::vector<Cell*>& stack) { (void)stack; }
  bool marked = false;
  Cell* nextCell = nullptr;
};

class String final : public Cell {
 public:
  explicit String(std::string value) : text(std::move(value)) {}
  void TraceChildren(std::vector<Cell*>& stack) override {
    if (folded && folded != this) stack.push_back(folded);
  }
  const std::string text;
  // The same text in lower case (ASCII), for names compared without regard to case.
  String* folded = nullptr;
  // Which movie clip property (_x, _alpha, ...) the text names; -1 for none, -2 before it
  // was looked at.
  std::int8_t clipProperty = -2;
  // What a variable of this name means before the scope chain is asked (see the
  // executor's NameKind); -1 before it was looked at.
  std::int8_t nameKind = -1;
  // Kept whatever the collector finds: names the decoded programs and built-ins use.
  bool pinned = false;
};

struct Value {
  enum class Type : std::uint8_t { kUndefined, kNull, kBoolean, kNumber, kString, kObject };
  Type type = Type::kUndefined;
  union {
    double number;
    bool boolean;
    String* string;
    Object* object;
  };

  Value() : number(0) {}
  static Value Undefined() { return Value(); }
  static Value Null() {
    Value v;
    v.type = Type::kNull;
    return v;
  }
  Value(double n) : type(Type::kNumber), number(n) {}           // NOLINT: values convert freely
  Value(int n) : type(Type::kNumber), number(n) {}              // NOLINT
  Value(bool b) : type(Type::kBoolean), boolean(b) {}           // NOLINT
  Value(String* s) : type(Type::kString), string(s) {}          // NOLINT
  Value(Object* o) : type(o ? Type::kObject : Type::kNull), object(o) {}  // NOLINT

  bool IsUndefined() const { return type == Type::kUndefined; }
  bool IsNull() const { return type == Type::kNull; }
  bool IsNullish() const { return type <= Type::kNull; }
  bool IsNumber() const { return type == Type::kNumber; }
  bool IsString() const { return type == Type::kString; }
  bool IsObject() const { return type == Type::kObject; }
  bool IsBoolean() const { return type == Type::kBoolean; }
  Object* AsObject() const { return type == Type::kObject ? object : nullptr; }
};

// Numbers as the movie's scripts print them: up to 15 significant digits, exponent form
// for very large and very small magnitudes.
std::string NumberToText(double number);
// A string read as a number the way scripts of `version` do ("" is NaN from version 5,
// "0x1F" is hexadecimal from version 6, leading and trailing white space allowed).
double TextToNumber(std::string_view text, int version);
// ECMA-262 ToInt32 / ToUint32.
std::int32_t ToInt32(double number);
std::uint32_t ToUint32(double number);

}  // namespace tavelin::swf::avm1
