// Math and Date.
#include <cmath>
#include <numbers>
#include <random>

#include "swf/avm1/builtins.h"

namespace tavelin::swf::avm1 {
namespace {

double N(Interpreter& vm, std::span<const Value> args, std::size_t i) { return i < args.size() ? vm.ToNumber(args[i]) : NAN; }

// The Math functions read two arguments whatever they use: a second one is converted
// (its valueOf runs) and any further ones are not.
#define TAVELIN_MATH1(name, expr)                                                 \
  Value name(Interpreter& vm, const Value&, std::span<const Value> args) {       \
    const double x = N(vm, args, 0);                                              \
    if (args.size() > 1) N(vm, args, 1);                                          \
    return Value(static_cast<double>(expr));                                      \
  }
TAVELIN_MATH1(Abs, std::fabs(x))
TAVELIN_MATH1(Acos, std::acos(x))
TAVELIN_MATH1(Asin, std::asin(x))
TAVELIN_MATH1(Atan, std::atan(x))
TAVELIN_MATH1(Ceil, std::ceil(x))
TAVELIN_MATH1(Cos, std::cos(x))
TAVELIN_MATH1(Exp, std::exp(x))
TAVELIN_MATH1(Floor, std::floor(x))
TAVELIN_MATH1(Log, std::log(x))
TAVELIN_MATH1(Round, std::floor(x + 0.5))
TAVELIN_MATH1(Sin, std::sin(x))
TAVELIN_MATH1(Sqrt, std::sqrt(x))
TAVELIN_MATH1(Tan, std::tan(x))
#undef TAVELIN_MATH1

Value Atan2(Interpreter& vm, const Value&, std::span<const Value> args) {
  const double y = N(vm, args, 0), x = N(vm, args, 1);
  return Value(std::atan2(y, x));
}
Value Pow(Interpreter& vm, const Value&, std::span<const Value> args) {
  const double base = N(vm, args, 0), exponent = N(vm, args, 1);
  return Value(std::pow(base, exponent));
}
// max and min compare the first two arguments: one alone gives NaN.
Value Max(Interpreter& vm, const Value&, std::span<const Value> args) {
  if (args.empty()) return Value(-INFINITY);
  const double x = N(vm, args, 0), y = N(vm, args, 1);
  return Value(std::isnan(x) || std::isnan(y) ? NAN : std::max(x, y));
}
Value Min(Interpreter& vm, const Value&, std::span<const Value> args) {
  if (args.empty()) return Value(INFINITY);
  const double x = N(vm, args, 0), y = N(vm, args, 1);
  return Value(std::isnan(x) || std::isnan(y) ? NAN : std::min(x, y));
}
Value RandomFn(Interpreter& vm, const Value&, std::span<const Value> args) {
  for (std::size_t i = 0; i < args.size() && i < 2; ++i) vm.ToNumber(args[i]);
  static std::mt19937_64 generator(20260101);
  return Value(std::uniform_real_distribution<double>(0.0, 1.0)(generator));
}

// ---- Date: times in milliseconds since 1970 (UTC; local time is UTC here) ----

struct Civil {
  double year, month, day, hours, minutes, seconds, ms, weekday;
};

Civil Split(double time) {
  const double days = std::floor(time / 86400000.0);
  double rest = time - days * 86400000.0;
  Civil c{};
  c.hours = std::floor(rest / 3600000.0);
  rest -= c.hours * 3600000.0;
  c.minutes = std::floor(rest / 60000.0);
  rest -= c.minutes * 60000.0;
  c.seconds = std::floor(rest / 1000.0);
  c.ms = rest - c.seconds * 1000.0;
  c.weekday = std::fmod(std::fmod(days + 4, 7) + 7, 7);
  // Days to civil date (proleptic Gregorian).
  const long long z = static_cast<long long>(days) + 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  const long long d = doy - (153 * mp + 2) / 5 + 1;
  const long long m = mp < 10 ? mp + 3 : mp - 9;
  c.year = static_cast<double>(yoe + era * 400 + (m <= 2));
  c.month = static_cast<double>(m - 1);
  c.day = static_cast<double>(d);
  return c;
}

double MakeTime(double year, double month, double day, double h, double mi, double s, double ms) {
  if (!std::isfinite(year) || !std::isfinite(month) || !std::isfinite(day)) return NAN;
  year += std::floor(month / 12);
  month = std::fmod(std::fmod(month, 12) + 12, 12);
  const long long y = static_cast<long long>(year) - (month < 2);
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long m = static_cast<long long>(month) + 1;
  const long long doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const double days = static_cast<double>(era * 146097 + doe - 719468) + day - 1;
  return days * 86400000.0 + h * 3600000.0 + mi * 60000.0 + s * 1000.0 + ms;
}

double& TimeOf(const Value& self) {
  static double none = NAN;
  Object* object = self.AsObject();
  if (!object || object->kind != ObjectKind::kDate || !object->primitive.IsNumber()) return none;
  return object->primitive.number;
}

Value DateConstruct(Interpreter& vm, const Value& self, std::span<const Value> args) {
  Object* object = self.AsObject();
  object->kind = ObjectKind::kDate;
  double time;
  if (args.empty()) {
    time = 1.7e12 + std::floor(vm.Host().MovieMilliseconds());
  } else if (args.size() == 1) {
    time = vm.ToNumber(args[0]);
  } else {
    auto at = [&](std::size_t i, double fallback) { return i < args.size() ? vm.ToNumber(args[i]) : fallback; };
    double year = at(0, NAN);
    if (year >= 0 && year < 100) year += 1900;
    time = MakeTime(year, at(1, 0), at(2, 1), at(3, 0), at(4, 0), at(5, 0), at(6, 0));
  }
  object->primitive = Value(time);
  return self;
}
Value DateCall(Interpreter& vm, const Value&, std::span<const Value>) {
  Object* date = vm.NewObject(vm.dateProto);
  DateConstruct(vm, Value(date), {});
  return Value(vm.ToString(Value(date)));
}

#define TAVELIN_DATE_GET(name, field)                                         \
  Value name(Interpreter&, const Value& self, std::span<const Value>) {      \
    const double t = TimeOf(self);                                            \
    if (std::isnan(t)) return Value(NAN);                                     \
    return Value(Split(t).field);                                             \
  }
TAVELIN_DATE_GET(GetFullYear, year)
TAVELIN_DATE_GET(GetMonth, month)
TAVELIN_DATE_GET(GetDate, day)
TAVELIN_DATE_GET(GetDay, weekday)
TAVELIN_DATE_GET(GetHours, hours)
TAVELIN_DATE_GET(GetMinutes, minutes)
TAVELIN_DATE_GET(GetSeconds, seconds)
TAVELIN_DATE_GET(GetMilliseconds, ms)
#undef TAVELIN_DATE_GET

Value GetTime(Interpreter&, const Value& self, std::span<const Value>) { return Value(TimeOf(self)); }
Value GetYear(Interpreter&, const Value& self, std::span<const Value>) {
  const double t = TimeOf(self);
  return Value(std::isnan(t) ? NAN : Split(t).year - 1900);
}
Value GetTimezoneOffset(Interpreter&, const Value&, std::span<const Value>) { return Value(0.0); }
Value SetTime(Interpreter& vm, const Value& self, std::span<const Value> args) {
  double& t = TimeOf(self);
  if (self.AsObject() && self.object->kind == ObjectKind::kDate) t = N(vm, args, 0);
  return Value(t);
}

enum Field { kYear, kMonth, kDay, kHours, kMinutes, kSeconds, kMs };
template <Field F>
Value SetField(Interpreter& vm, const Value& self, std::span<const Value> args) {
  if (!self.AsObject() || self.object->kind != ObjectKind::kDate) return Value(NAN);
  double& t = TimeOf(self);
  Civil c = Split(std::isnan(t) ? 0 : t);
  double* fields[] = {&c.year, &c.month, &c.day, &c.hours, &c.minutes, &c.seconds, &c.ms};
  for (std::size_t i = 0; i < args.size() && F + i < 7; ++i) *fields[F + i] = vm.ToNumber(args[i]);
  t = MakeTime(c.year, c.month, c.day, c.hours, c.minutes, c.seconds, c.ms);
  return Value(t);
}

Value DateToString(Interpreter& vm, const Value& self, std::span<const Value>) {
  const double t = TimeOf(self);
  if (std::isnan(t)) return Value(vm.Intern("Invalid Date"));
  static const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const Civil c = Split(t);
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "%s %s %d %02d:%02d:%02d GMT+0000 %d", kDays[static_cast<int>(c.weekday)],
                kMonths[static_cast<int>(c.month)], static_cast<int>(c.day), static_cast<int>(c.hours),
                static_cast<int>(c.minutes), static_cast<int>(c.seconds), static_cast<int>(c.year));
  return Value(vm.Intern(buffer));
}

Value DateUtc(Interpreter& vm, const Value&, std::span<const Value> args) {
  auto at = [&](std::size_t i, double fallback) { return i < args.size() ? vm.ToNumber(args[i]) : fallback; };
  double year = at(0, NAN);
  if (year >= 0 && year < 100) year += 1900;
  return Value(MakeTime(year, at(1, 0), at(2, 1), at(3, 0), at(4, 0), at(5, 0), at(6, 0)));
}

}  // namespace

void InstallMathAndDate(Interpreter& vm) {
  Object* math = vm.NewObject();
  vm.DefineValue(vm.global, "Math", Value(math));
  vm.DefineNative(math, "abs", Abs);
  vm.DefineNative(math, "acos", Acos);
  vm.DefineNative(math, "asin", Asin);
  vm.DefineNative(math, "atan", Atan);
  vm.DefineNative(math, "atan2", Atan2);
  vm.DefineNative(math, "ceil", Ceil);
  vm.DefineNative(math, "cos", Cos);
  vm.DefineNative(math, "exp", Exp);
  vm.DefineNative(math, "floor", Floor);
  vm.DefineNative(math, "log", Log);
  vm.DefineNative(math, "max", Max);
  vm.DefineNative(math, "min", Min);
  vm.DefineNative(math, "pow", Pow);
  vm.DefineNative(math, "random", RandomFn);
  vm.DefineNative(math, "round", Round);
  vm.DefineNative(math, "sin", Sin);
  vm.DefineNative(math, "sqrt", Sqrt);
  vm.DefineNative(math, "tan", Tan);
  const std::uint8_t fixed = property_flag::kDontEnum | property_flag::kDontDelete | property_flag::kReadOnly;
  vm.DefineValue(math, "PI", Value(std::numbers::pi), fixed);
  vm.DefineValue(math, "E", Value(std::numbers::e), fixed);
  vm.DefineValue(math, "LN10", Value(std::numbers::ln10), fixed);
  vm.DefineValue(math, "LN2", Value(std::numbers::ln2), fixed);
  vm.DefineValue(math, "LOG10E", Value(std::numbers::log10e), fixed);
  vm.DefineValue(math, "LOG2E", Value(std::numbers::log2e), fixed);
  vm.DefineValue(math, "SQRT1_2", Value(std::sqrt(0.5)), fixed);
  vm.DefineValue(math, "SQRT2", Value(std::numbers::sqrt2), fixed);

  vm.dateProto = vm.NewObject();
  Function* date = vm.NewNative(DateCall, DateConstruct);
  vm.LinkConstructor(date, vm.dateProto);
  vm.DefineValue(vm.global, "Date", Value(date));
  vm.DefineNative(date, "UTC", DateUtc);
  Object* d = vm.dateProto;
  for (const char* prefix : {"get", "getUTC"}) {
    const std::string p = prefix;
    vm.DefineNative(d, p + "FullYear", GetFullYear);
    vm.DefineNative(d, p + "Month", GetMonth);
    vm.DefineNative(d, p + "Date", GetDate);
    vm.DefineNative(d, p + "Day", GetDay);
    vm.DefineNative(d, p + "Hours", GetHours);
    vm.DefineNative(d, p + "Minutes", GetMinutes);
    vm.DefineNative(d, p + "Seconds", GetSeconds);
    vm.DefineNative(d, p + "Milliseconds", GetMilliseconds);
  }
  for (const char* prefix : {"set", "setUTC"}) {
    const std::string p = prefix;
    vm.DefineNative(d, p + "FullYear", SetField<kYear>);
    vm.DefineNative(d, p + "Month", SetField<kMonth>);
    vm.DefineNative(d, p + "Date", SetField<kDay>);
    vm.DefineNative(d, p + "Hours", SetField<kHours>);
    vm.DefineNative(d, p + "Minutes", SetField<kMinutes>);
    vm.DefineNative(d, p + "Seconds", SetField<kSeconds>);
    vm.DefineNative(d, p + "Milliseconds", SetField<kMs>);
  }
  vm.DefineNative(d, "getYear", GetYear);
  vm.DefineNative(d, "getTime", GetTime);
  vm.DefineNative(d, "valueOf", GetTime);
  vm.DefineNative(d, "setTime", SetTime);
  vm.DefineNative(d, "getTimezoneOffset", GetTimezoneOffset);
  vm.DefineNative(d, "toString", DateToString);
}

}  // namespace tavelin::swf::avm1
