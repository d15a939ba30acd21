// Array.
#include <algorithm>
#include <cmath>
#include <functional>

#include "swf/avm1/builtins.h"

namespace tavelin::swf::avm1 {
namespace {

constexpr std::size_t kMaxArrayWork = 1 << 20;

std::vector<Value> Elements(Interpreter& vm, Object* array) {
  std::vector<Value> items;
  const std::size_t length = std::min(vm.ArrayLength(array), kMaxArrayWork);
  items.reserve(length);
  for (std::size_t i = 0; i < length; ++i) items.push_back(vm.ArrayAt(array, i));
  return items;
}

void Store(Interpreter& vm, Object* array, const std::vector<Value>& items) {
  vm.Set(array, vm.Names().length, Value(0.0));
  for (const Value& item : items) vm.ArrayPush(array, item);
}

Value ArrayCtor(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* array = self.AsObject();
  if (!array || array->kind != ObjectKind::kObject || array == vm.global) array = vm.NewArray();
  array->kind = ObjectKind::kArray;
  array->primitive = Value(0.0);
  if (args.size() == 1 && args[0].IsNumber()) {
    vm.SetArrayLength(array, ToInt32(args[0].number));
    return Value(array);
  }
  for (const Value& item : args) vm.ArrayPush(array, item);
  return Value(array);
}

Object* This(const Value& self) { return self.AsObject(); }

Value Join(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* array = This(self);
  if (!array) return Value(vm.Names().empty);
  const std::string separator = Arg(args, 0).IsUndefined() ? std::string(",") : vm.ToText(Arg(args, 0));
  std::string out;
  const auto items = Elements(vm, array);
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i) out += separator;
    if (!items[i].IsUndefined() || vm.Version() >= 7) out += vm.ToText(items[i]);
    if (out.size() > kMaxStringBytes) break;
  }
  return Value(vm.Intern(out));
}

Value ToStringFn(Interpreter& vm, const Value& self, std::span<const Value>) { return Join(vm, self, {}); }

Value Push(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* array = This(self);
  if (!array) return Value();
  for (const Value& item : args) vm.ArrayPush(array, item);
  return Value(static_cast<double>(vm.ArrayLength(array)));
}

Value PopFn(Interpreter& vm, const Value& self, std::span<const Value>) {
  Object* array = This(self);
  if (!array) return Value();
  const std::size_t length = vm.ArrayLength(array);
  if (length == 0) return Value();
  const Value last = vm.ArrayAt(array, length - 1);
  vm.Set(array, vm.Names().length, Value(static_cast<double>(length - 1)));
  return last;
}

// Moves an element the way the player's array methods do: the old property goes (unless it
// may not be deleted) and the value is set again, so it enumerates as newly added.
void Replace(Interpreter& vm, Object* array, std::size_t index, const Value& value) {
  String* name = vm.GetHeap().NumberName(index);
  vm.Delete(array, name);
  vm.Set(array, name, value);
}

Value Shift(Interpreter& vm, const Value& self, std::span<const Value>) {
  Object* array = This(self);
  if (!array) return Value();
  const std::size_t length = std::min(vm.ArrayLength(array), kMaxArrayWork);
  if (length == 0) return Value();
  const Value first = vm.ArrayAt(array, 0);
  for (std::size_t i = 1; i < length; ++i) Replace(vm, array, i - 1, vm.ArrayAt(array, i));
  vm.Delete(array, vm.GetHeap().NumberName(length - 1));
  vm.Set(array, vm.Names().length, Value(static_cast<double>(length - 1)));
  return first;
}

Value Unshift(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* array = This(self);
  if (!array) return Value();
  const std::size_t length = std::min(vm.ArrayLength(array), kMaxArrayWork);
  const std::size_t count = std::min(args.size(), kMaxArrayWork);
  for (std::size_t i = length; i-- > 0;) Replace(vm, array, i + count, vm.ArrayAt(array, i));
  for (std::size_t i = 0; i < count; ++i) Replace(vm, array, i, args[i]);
  vm.Set(array, vm.Names().length, Value(static_cast<double>(length + count)));
  return Value(static_cast<double>(length + count));
}

std::size_t Clamp(Interpreter& vm, const Value& v, std::size_t length, std::size_t fallback) {
  if (v.IsUndefined()) return fallback;
  double n = vm.ToNumber(v);
  if (std::isnan(n)) n = 0;
  if (n < 0) n = std::max(0.0, static_cast<double>(length) + n);
  return static_cast<std::size_t>(std::min(n, static_cast<double>(length)));
}

Value Slice(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* array = This(self);
  if (!array) return Value();
  const auto items = Elements(vm, array);
  const std::size_t from = Clamp(vm, Arg(args, 0), items.size(), 0);
  const std::size_t to = Clamp(vm, Arg(args, 1), items.size(), items.size());
  std::vector<Value> out;
  for (std::size_t i = from; i < to; ++i) out.push_back(items[i]);
  return Value(vm.NewArray(out));
}

Value Splice(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* array = This(self);
  if (!array || args.empty()) return Value();
  auto items = Elements(vm, array);
  const std::size_t from = Clamp(vm, args[0], items.size(), 0);
  std::size_t count = items.size() - from;
  if (args.size() > 1) {
    const double n = vm.ToNumber(args[1]);
    count = n > 0 ? std::min(count, static_cast<std::size_t>(n)) : 0;
  }
  std::vector<Value> removed(items.begin() + static_cast<std::ptrdiff_t>(from), items.begin() + static_cast<std::ptrdiff_t>(from + count));
  items.erase(items.begin() + static_cast<std::ptrdiff_t>(from), items.begin() + static_cast<std::ptrdiff_t>(from + count));
  if (args.size() > 2) items.insert(items.begin() + static_cast<std::ptrdiff_t>(from), args.begin() + 2, args.end());
  Store(vm, array, items);
  return Value(vm.NewArray(removed));
}

Value Concat(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* array = This(self);
  std::vector<Value> items = array ? Elements(vm, array) : std::vector<Value>();
  for (const Value& arg : args) {
    Object* other = arg.AsObject();
    if (other && other->kind == ObjectKind::kArray) {
      const auto more = Elements(vm, other);
      items.insert(items.end(), more.begin(), more.end());
    } else {
      items.push_back(arg);
    }
    if (items.size() > kMaxArrayWork) break;
  }
  return Value(vm.NewArray(items));
}

Value Reverse(Interpreter& vm, const Value& self, std::span<const Value>) {
  Object* array = This(self);
  if (!array) return Value();
  const std::size_t length = std::min(vm.ArrayLength(array), kMaxArrayWork);
  for (std::size_t i = 0; i < length / 2; ++i) {
    const std::size_t j = length - 1 - i;
    const Value low = vm.ArrayAt(array, i), high = vm.ArrayAt(array, j);
    Replace(vm, array, i, high);
    Replace(vm, array, j, low);
  }
  return self;
}

namespace sort_flag {
constexpr int kCaseInsensitive = 1, kDescending = 2, kUnique = 4, kIndexed = 8, kNumeric = 16;
}

// A merge sort: script comparators need not be consistent, and this stays safe then.
void MergeSort(std::vector<std::size_t>& order, const std::function<bool(std::size_t, std::size_t)>& less) {
  std::vector<std::size_t> buffer(order.size());
  for (std::size_t width = 1; width < order.size(); width *= 2) {
    for (std::size_t lo = 0; lo < order.size(); lo += 2 * width) {
      const std::size_t mid = std::min(lo + width, order.size()), hi = std::min(lo + 2 * width, order.size());
      std::size_t i = lo, j = mid, k = lo;
      while (i < mid && j < hi) buffer[k++] = less(order[j], order[i]) ? order[j++] : order[i++];
      while (i < mid) buffer[k++] = order[i++];
      while (j < hi) buffer[k++] = order[j++];
    }
    order.swap(buffer);
  }
}

// How one sort key compares: a field's flags (numeric, case-insensitive, descending).
double CompareKeys(Interpreter& vm, const Value& a, const Value& b, int flags) {
  double order;
  // Numeric order is for two numbers; any other pair compares as text.
  if ((flags & sort_flag::kNumeric) && a.IsNumber() && b.IsNumber()) {
    // NaN sorts after every number and equals itself.
    const double p = a.number, q = b.number;
    const bool pNan = std::isnan(p), qNan = std::isnan(q);
    order = pNan || qNan ? (pNan == qNan ? 0 : pNan ? 1 : -1) : p < q ? -1 : p > q ? 1 : 0;
  } else {
    std::string p = vm.ToText(a), q = vm.ToText(b);
    if (flags & sort_flag::kCaseInsensitive) {
      p = vm.GetHeap().Folded(vm.Intern(p))->text;
      q = vm.GetHeap().Folded(vm.Intern(q))->text;
    }
    order = p < q ? -1 : p > q ? 1 : 0;
  }
  return (flags & sort_flag::kDescending) ? -order : order;
}

// Sorts `array` by each item's keys (one per field, compared in turn with that field's
// flags) or by the comparator; `flags` brings the unique and indexed choices.
Value SortBy(Interpreter& vm, Object* array, const std::vector<std::vector<Value>>& keys, const std::vector<int>& fieldFlags,
             int flags, const Value& comparator) {
  const auto items = Elements(vm, array);
  std::vector<std::size_t> order(items.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  auto compare = [&](std::size_t x, std::size_t y) -> double {
    if (comparator.IsObject()) {
      const Value pair[] = {items[x], items[y]};
      const double c = vm.ToNumber(vm.Call(comparator, Value(), pair));
      return (flags & sort_flag::kDescending) ? -c : c;
    }
    for (std::size_t field = 0; field < fieldFlags.size(); ++field) {
      const double c = CompareKeys(vm, keys[x][field], keys[y][field], fieldFlags[field]);
      if (c != 0) return c;
    }
    return 0;
  };
  MergeSort(order, [&](std::size_t x, std::size_t y) { return compare(x, y) < 0; });
  if (flags & sort_flag::kUnique) {
    for (std::size_t i = 1; i < order.size(); ++i) {
      if (compare(order[i - 1], order[i]) == 0) return Value(0.0);
    }
  }
  if (flags & sort_flag::kIndexed) {
    std::vector<Value> indices;
    for (std::size_t i : order) indices.push_back(Value(static_cast<double>(i)));
    return Value(vm.NewArray(indices));
  }
  std::vector<Value> sorted;
  for (std::size_t i : order) sorted.push_back(items[i]);
  Store(vm, array, sorted);
  return Value(array);
}

// The sort flags among `args` from `first` on: the last argument that is a number.
int FlagsAmong(std::span<const Value> args, std::size_t first) {
  int flags = 0;
  for (std::size_t i = first; i < args.size(); ++i) {
    if (args[i].IsNumber()) flags = ToInt32(args[i].number);
  }
  return flags;
}

Value Sort(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* array = This(self);
  if (!array) return Value();
  Value comparator;
  if (!args.empty() && !args[0].IsNumber()) {
    // Only a function or flags may come first: other objects leave the array as it
    // is, anything else sorts nothing.
    Object* object = args[0].AsObject();
    if (!object) return Value();
    if (object->kind != ObjectKind::kFunction) return Value(array);
    comparator = args[0];
  }
  const int flags = FlagsAmong(args, comparator.IsObject() ? 1 : 0);
  std::vector<std::vector<Value>> keys;
  for (const Value& item : Elements(vm, array)) keys.push_back({item});
  return SortBy(vm, array, keys, {flags}, flags, comparator);
}

Value SortOn(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* array = This(self);
  if (!array || args.empty()) return Value();
  // One field or an array of them; flags as a number for all, or an array with one
  // entry per field (an array of another length counts as no flags).
  std::vector<String*> fields;
  Object* fieldList = Arg(args, 0).AsObject();
  if (fieldList && fieldList->kind == ObjectKind::kArray) {
    for (std::size_t i = 0; i < vm.ArrayLength(fieldList) && i < 64; ++i) fields.push_back(vm.ToString(vm.ArrayAt(fieldList, i)));
  } else {
    fields.push_back(vm.ToString(Arg(args, 0)));
  }
  if (fields.empty()) return Value(array);
  int flags = FlagsAmong(args, 1);
  std::vector<int> fieldFlags(fields.size(), flags);
  Object* flagList = Arg(args, 1).AsObject();
  if (flagList && flagList->kind == ObjectKind::kArray) {
    flags = 0;
    std::fill(fieldFlags.begin(), fieldFlags.end(), 0);
    if (vm.ArrayLength(flagList) == fields.size()) {
      for (std::size_t i = 0; i < fields.size(); ++i) fieldFlags[i] = ToInt32(vm.ToNumber(vm.ArrayAt(flagList, i)));
      flags = fieldFlags[0];
    }
  }
  // Keys are the items' own plain values: no getter runs and prototypes are not asked,
  // except for the built-in members of strings and arrays (their length). An item that
  // is not an object is its own key.
  auto keyOf = [&vm](const Value& item, String* field) -> Value {
    Object* object = item.AsObject();
    if (!object) return item;
    if (const Property* own = object->FindOwn(vm.Key(field))) return own->getter ? Value() : own->value;
    if (object->kind == ObjectKind::kString || object->kind == ObjectKind::kArray) return vm.GetMember(item, field);
    return Value();
  };
  std::vector<std::vector<Value>> keys;
  for (const Value& item : Elements(vm, array)) {
    std::vector<Value>& key = keys.emplace_back();
    for (String* field : fields) key.push_back(keyOf(item, field));
  }
  return SortBy(vm, array, keys, fieldFlags, flags, Value());
}

}  // namespace

void InstallArray(Interpreter& vm) {
  vm.arrayProto = vm.NewObject();
  Function* ctor = vm.NewNative(ArrayCtor, ArrayCtor);
  vm.LinkConstructor(ctor, vm.arrayProto);
  vm.DefineValue(vm.global, "Array", Value(ctor));
  vm.DefineValue(ctor, "CASEINSENSITIVE", Value(1.0));
  vm.DefineValue(ctor, "DESCENDING", Value(2.0));
  vm.DefineValue(ctor, "UNIQUESORT", Value(4.0));
  vm.DefineValue(ctor, "RETURNINDEXEDARRAY", Value(8.0));
  vm.DefineValue(ctor, "NUMERIC", Value(16.0));
  Object* p = vm.arrayProto;
  vm.DefineNative(p, "join", Join);
  vm.DefineNative(p, "toString", ToStringFn);
  vm.DefineNative(p, "push", Push);
  vm.DefineNative(p, "pop", PopFn);
  vm.DefineNative(p, "shift", Shift);
  vm.DefineNative(p, "unshift", Unshift);
  vm.DefineNative(p, "slice", Slice);
  vm.DefineNative(p, "splice", Splice);
  vm.DefineNative(p, "concat", Concat);
  vm.DefineNative(p, "reverse", Reverse);
  vm.DefineNative(p, "sort", Sort);
  vm.DefineNative(p, "sortOn", SortOn);
}

}  // namespace tavelin::swf::avm1
