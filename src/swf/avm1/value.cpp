#include "swf/avm1/value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tavelin::swf::avm1 {

std::string NumberToText(double number) {
  if (std::isnan(number)) return "NaN";
  if (std::isinf(number)) return number > 0 ? "Infinity" : "-Infinity";
  if (number == 0) return "0";
  if (std::fabs(number) < 1e15 && number == std::floor(number)) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.0f", number);
    return buffer;
  }
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.15g", number);
  std::string text = buffer;
  const auto e = text.find('e');
  if (e == std::string::npos) return text;
  // "1.5e+20" keeps its sign; the exponent loses leading zeros ("1e-07" -> "1e-7").
  std::string mantissa = text.substr(0, e);
  const char sign = text[e + 1];
  std::size_t digits = e + 2;
  while (digits + 1 < text.size() && text[digits] == '0') ++digits;
  return mantissa + 'e' + sign + text.substr(digits);
}

namespace {
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
}  // namespace

double TextToNumber(std::string_view text, int version) {
  if (version < 5) {
    // Version 4 reads the number the text starts with, and 0 when it starts with none.
    const std::string copy(text);
    const char* start = copy.c_str();
    while (*start && IsSpace(*start)) ++start;
    const char* end = start;
    if (*end == '+' || *end == '-') ++end;
    bool digits = false;
    while (*end >= '0' && *end <= '9') ++end, digits = true;
    if (*end == '.') {
      ++end;
      while (*end >= '0' && *end <= '9') ++end, digits = true;
    }
    if (!digits) return 0;
    if (*end == 'e' || *end == 'E') {
      const char* exponent = end + 1;
      if (*exponent == '+' || *exponent == '-') ++exponent;
      if (*exponent >= '0' && *exponent <= '9') {
        end = exponent;
        while (*end >= '0' && *end <= '9') ++end;
      }
    }
    return std::strtod(std::string(start, end).c_str(), nullptr);
  }
  std::size_t begin = 0, end = text.size();
  while (begin < end && IsSpace(text[begin])) ++begin;
  // From version 6 only leading white space is passed over ("5 " is not a number).
  if (version < 6) {
    while (end > begin && IsSpace(text[end - 1])) --end;
  }
  const std::string trimmed(text.substr(begin, end - begin));
  if (trimmed.empty()) return version >= 5 ? NAN : 0;
  const char* start = trimmed.c_str();
  // Hexadecimal and octal digits are read into 32 bits that wrap, as a signed number.
  auto wrapped = [](std::string_view digits, unsigned base) {
    std::uint32_t value = 0;
    for (char c : digits) {
      const unsigned digit = c <= '9' ? static_cast<unsigned>(c - '0') : static_cast<unsigned>((c | 0x20) - 'a' + 10);
      value = value * base + digit;
    }
    return static_cast<double>(static_cast<std::int32_t>(value));
  };
  if (version >= 6 && trimmed.size() > 2 && trimmed[0] == '0' && (trimmed[1] == 'x' || trimmed[1] == 'X')) {
    const std::string_view digits = std::string_view(trimmed).substr(2);
    if (digits.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos) return NAN;
    return wrapped(digits, 16);
  }
  if (version >= 6 && begin == 0) {
    // A leading zero followed by octal digits only is octal ("010" is 8), when nothing
    // comes before it but a sign.
    std::size_t at = trimmed[0] == '-' || trimmed[0] == '+' ? 1 : 0;
    if (trimmed.size() > at + 1 && trimmed[at] == '0' && trimmed.find_first_not_of("01234567", at) == std::string::npos) {
      const double value = wrapped(std::string_view(trimmed).substr(at), 8);
      return trimmed[0] == '-' ? -value : value;
    }
  }
  // Only decimal forms: strtod would also take "inf", "nan" and hexadecimal.
  for (char c : trimmed) {
    if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-')) return NAN;
  }
  char* stop = nullptr;
  const double value = std::strtod(start, &stop);
  if (stop == start || *stop != '\0') return NAN;
  return value;
}

std::int32_t ToInt32(double number) { return static_cast<std::int32_t>(ToUint32(number)); }

std::uint32_t ToUint32(double number) {
  if (!std::isfinite(number)) return 0;
  const double truncated = std::trunc(number);
  const double modulo = std::fmod(truncated, 4294967296.0);
  const double positive = modulo < 0 ? modulo + 4294967296.0 : modulo;
  return static_cast<std::uint32_t>(positive);
}

}  // namespace tavelin::swf::avm1
