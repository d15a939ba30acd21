#pragma once
// Reads a tag body: little-endian numbers, bit fields packed most significant bit first,
// strings and the format's compound values. Every read is checked against the body; a
// read past its end throws DecodeError, so a decoder never looks outside its tag.

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

#include "swf/format/records.h"

namespace tavelin::swf::format {

// A definition or control tag whose bytes do not hold what they claim. The player drops
// that one tag and goes on with the rest of the movie.
class DecodeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::size_t Position() const { return position_; }
  std::size_t Remaining() const { return bytes_.size() - position_; }
  bool AtEnd() const { return position_ >= bytes_.size(); }

  std::uint8_t U8();
  std::uint16_t U16();
  std::int16_t S16() { return static_cast<std::int16_t>(U16()); }
  std::uint32_t U32();
  float Float32();
  // A signed 8.8 fixed-point number.
  double Fixed8() { return S16() / 256.0; }
  // A signed 16.16 fixed-point number.
  double Fixed16() { return static_cast<std::int32_t>(U32()) / 65536.0; }
  // A zero-terminated string; a missing terminator ends it at the body's end.
  std::string String();
  std::span<const std::uint8_t> Bytes(std::size_t count);
  std::span<const std::uint8_t> Rest() { return Bytes(Remaining()); }
  void Skip(std::size_t count) { Bytes(count); }

  // Bit fields. Byte reads first align to the next whole byte.
  std::uint32_t Bits(int count);
  std::int32_t SignedBits(int count);
  // A signed 16.16 fixed-point bit field.
  double FixedBits(int count) { return SignedBits(count) / 65536.0; }
  bool Flag() { return Bits(1) != 0; }
  void Align() { bitsLeft_ = 0; }

  // The format's compound values.
  Rect ReadRect();
  Matrix ReadMatrix();
  // A colour transform without (withAlpha false) or with alpha terms.
  ColorTransform ReadColorTransform(bool withAlpha);
  Rgba ReadRgb();
  Rgba ReadRgba();

 private:
  void Need(std::size_t count) const;

  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
  std::uint8_t currentByte_ = 0;
  int bitsLeft_ = 0;
};

}  // namespace tavelin::swf::format
