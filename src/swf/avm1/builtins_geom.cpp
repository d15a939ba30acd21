// flash.geom.Matrix, as far as drawing needs it: the six fields (identity by default)
// and createGradientBox, whose result beginGradientFill takes as its matrix.
#include <cmath>

#include "swf/avm1/builtins.h"

namespace tavelin::swf::avm1 {
namespace {

void SetFields(Interpreter& vm, Object* matrix, const double (&values)[6]) {
  const char* names[] = {"a", "b", "c", "d", "tx", "ty"};
  for (int i = 0; i < 6; ++i) vm.Set(matrix, vm.Intern(names[i]), Value(values[i]));
}

Value MatrixCtor(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* matrix = self.AsObject();
  if (!matrix) return self;
  double values[6] = {1, 0, 0, 1, 0, 0};
  if (!args.empty()) {
    for (std::size_t i = 0; i < 6; ++i) values[i] = vm.ToNumber(Arg(args, i));
  }
  SetFields(vm, matrix, values);
  return self;
}

// Scales the gradient square (1638.4 pixels a side) to width x height, turns it by
// `rotation` radians about its centre and puts its top left corner at (tx, ty).
Value CreateGradientBox(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* matrix = self.AsObject();
  if (!matrix) return Value();
  const auto number = [&](std::size_t i) { return Arg(args, i).IsUndefined() ? 0.0 : vm.ToNumber(args[i]); };
  const double width = vm.ToNumber(Arg(args, 0)), height = vm.ToNumber(Arg(args, 1));
  const double rotation = number(2), tx = number(3), ty = number(4);
  const double sx = width / 1638.4, sy = height / 1638.4;
  const double values[6] = {sx * std::cos(rotation), sy * std::sin(rotation), -sx * std::sin(rotation),
                            sy * std::cos(rotation), tx + width / 2, ty + height / 2};
  SetFields(vm, matrix, values);
  return Value();
}

}  // namespace

void InstallGeometry(Interpreter& vm) {
  if (vm.Version() < 8) return;
  Object* flash = vm.NewObject();
  Object* geom = vm.NewObject();
  vm.DefineValue(vm.global, "flash", Value(flash));
  vm.DefineValue(flash, "geom", Value(geom));
  Object* proto = vm.NewObject();
  Function* ctor = vm.NewNative(MatrixCtor, MatrixCtor);
  vm.LinkConstructor(ctor, proto);
  vm.DefineValue(geom, "Matrix", Value(ctor));
  vm.DefineNative(proto, "createGradientBox", CreateGradientBox);
}

}  // namespace tavelin::swf::avm1
