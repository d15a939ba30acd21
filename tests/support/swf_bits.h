#pragma once
// Bit and byte packing shared by the movie writer's files.

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace tavelin::testing::swf_bits {

// Appends values most significant bit first, as the movie format packs them.
class BitWriter {
 public:
  void Unsigned(std::uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) Bit((value >> i) & 1u);
  }
  void Signed(std::int32_t value, int bits) { Unsigned(static_cast<std::uint32_t>(value), bits); }
  void Align() {
    while (used_ != 0) Bit(0);
  }
  std::vector<std::uint8_t> Take() {
    Align();
    return std::move(bytes_);
  }

 private:
  void Bit(std::uint32_t bit) {
    if (used_ == 0) bytes_.push_back(0);
    if (bit) bytes_.back() |= static_cast<std::uint8_t>(0x80u >> used_);
    used_ = (used_ + 1) % 8;
  }
  std::vector<std::uint8_t> bytes_;
  int used_ = 0;
};

// Bits needed to hold each value as a signed field.
inline int SignedBits(std::initializer_list<std::int32_t> values) {
  int bits = 1;
  for (std::int32_t v : values) {
    const std::uint32_t magnitude = v < 0 ? ~static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v);
    int needed = 1;
    while (needed < 32 && (magnitude >> (needed - 1)) != 0) ++needed;
    bits = std::max(bits, needed);
  }
  return bits;
}

inline void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

inline void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

inline void PutTranslateMatrix(BitWriter& bits, std::int32_t x, std::int32_t y) {
  bits.Unsigned(0, 1);  // no scale
  bits.Unsigned(0, 1);  // no rotate/skew
  const int n = (x == 0 && y == 0) ? 0 : SignedBits({x, y});
  bits.Unsigned(static_cast<std::uint32_t>(n), 5);
  if (n > 0) {
    bits.Signed(x, n);
    bits.Signed(y, n);
  }
}

}  // namespace tavelin::testing::swf_bits
