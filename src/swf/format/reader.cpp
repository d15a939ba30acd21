#include "swf/format/reader.h"

#include <bit>
#include <cstring>

namespace tavelin::swf::format {

void Reader::Need(std::size_t count) const {
  if (count > bytes_.size() - position_) throw DecodeError("tag body ends early");
}

std::uint8_t Reader::U8() {
  Align();
  Need(1);
  return bytes_[position_++];
}

std::uint16_t Reader::U16() {
  Align();
  Need(2);
  const auto value = static_cast<std::uint16_t>(bytes_[position_] | bytes_[position_ + 1] << 8);
  position_ += 2;
  return value;
}

std::uint32_t Reader::U32() {
  const std::uint32_t low = U16();
  return low | static_cast<std::uint32_t>(U16()) << 16;
}

float Reader::Float32() { return std::bit_cast<float>(U32()); }

std::string Reader::String() {
  Align();
  std::string text;
  while (position_ < bytes_.size()) {
    const std::uint8_t c = bytes_[position_++];
    if (c == 0) break;
    text.push_back(static_cast<char>(c));
  }
  return text;
}

std::span<const std::uint8_t> Reader::Bytes(std::size_t count) {
  Align();
  Need(count);
  const auto part = bytes_.subspan(position_, count);
  position_ += count;
  return part;
}

std::uint32_t Reader::Bits(int count) {
  if (count < 0 || count > 32) throw DecodeError("bit field too wide");
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) {
    if (bitsLeft_ == 0) {
      Need(1);
      currentByte_ = bytes_[position_++];
      bitsLeft_ = 8;
    }
    --bitsLeft_;
    value = value << 1 | ((currentByte_ >> bitsLeft_) & 1u);
  }
  return value;
}

std::int32_t Reader::SignedBits(int count) {
  if (count == 0) return 0;
  const std::uint32_t raw = Bits(count);
  if (count == 32) return static_cast<std::int32_t>(raw);
  const std::uint32_t sign = 1u << (count - 1);
  return static_cast<std::int32_t>(static_cast<std::int64_t>(raw ^ sign) - static_cast<std::int64_t>(sign));
}

Rect Reader::ReadRect() {
  Align();
  const int bits = static_cast<int>(Bits(5));
  Rect rect;
  rect.xMin = SignedBits(bits);
  rect.xMax = SignedBits(bits);
  rect.yMin = SignedBits(bits);
  rect.yMax = SignedBits(bits);
  Align();
  return rect;
}

Matrix Reader::ReadMatrix() {
  Align();
  Matrix m;
  if (Flag()) {
    const int bits = static_cast<int>(Bits(5));
    m.a = FixedBits(bits);
    m.d = FixedBits(bits);
  }
  if (Flag()) {
    const int bits = static_cast<int>(Bits(5));
    m.b = FixedBits(bits);
    m.c = FixedBits(bits);
  }
  const int bits = static_cast<int>(Bits(5));
  m.tx = SignedBits(bits);
  m.ty = SignedBits(bits);
  Align();
  return m;
}

ColorTransform Reader::ReadColorTransform(bool withAlpha) {
  Align();
  const bool hasAdd = Flag();
  const bool hasMul = Flag();
  const int bits = static_cast<int>(Bits(4));
  ColorTransform cx;
  if (hasMul) {
    cx.mulR = static_cast<float>(SignedBits(bits) / 256.0);
    cx.mulG = static_cast<float>(SignedBits(bits) / 256.0);
    cx.mulB = static_cast<float>(SignedBits(bits) / 256.0);
    if (withAlpha) cx.mulA = static_cast<float>(SignedBits(bits) / 256.0);
  }
  if (hasAdd) {
    cx.addR = static_cast<float>(SignedBits(bits));
    cx.addG = static_cast<float>(SignedBits(bits));
    cx.addB = static_cast<float>(SignedBits(bits));
    if (withAlpha) cx.addA = static_cast<float>(SignedBits(bits));
  }
  Align();
  return cx;
}

Rgba Reader::ReadRgb() {
  Rgba c;
  c.r = U8();
  c.g = U8();
  c.b = U8();
  return c;
}

Rgba Reader::ReadRgba() {
  Rgba c = ReadRgb();
  c.a = U8();
  return c;
}

}  // namespace tavelin::swf::format
