#include "swf_writer.h"

namespace tavelin::testing {
namespace {

std::uint8_t FormatByte(const SoundFormatFields& format) {
  return static_cast<std::uint8_t>(format.coding << 4 | (format.rate & 3) << 2 | (format.sixteenBit ? 2 : 0) |
                                   (format.stereo ? 1 : 0));
}

void Put16(std::vector<std::uint8_t>& body, std::uint32_t value) {
  body.push_back(static_cast<std::uint8_t>(value));
  body.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& body, std::uint32_t value) {
  Put16(body, value & 0xFFFF);
  Put16(body, value >> 16);
}

}  // namespace

SwfWriter& SwfWriter::DefineSound(std::uint16_t id, SoundFormatFields format, std::uint32_t sampleCount,
                                  const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> body;
  Put16(body, id);
  body.push_back(FormatByte(format));
  Put32(body, sampleCount);
  body.insert(body.end(), data.begin(), data.end());
  return RawTag(14, body);
}

namespace {

// The SOUNDINFO record of a start, after its sound's id.
void PutSoundInfo(std::vector<std::uint8_t>& body, const SoundStartFields& start) {
  body.push_back(static_cast<std::uint8_t>((start.stop ? 0x20 : 0) | (start.noMultiple ? 0x10 : 0) |
                                           (start.envelope.empty() ? 0 : 0x08) | (start.loops ? 0x04 : 0) |
                                           (start.outPoint ? 0x02 : 0) | (start.inPoint ? 0x01 : 0)));
  if (start.inPoint) Put32(body, *start.inPoint);
  if (start.outPoint) Put32(body, *start.outPoint);
  if (start.loops) Put16(body, *start.loops);
  if (!start.envelope.empty()) {
    body.push_back(static_cast<std::uint8_t>(start.envelope.size()));
    for (const auto& [position, left, right] : start.envelope) {
      Put32(body, position);
      Put16(body, left);
      Put16(body, right);
    }
  }
}

}  // namespace

SwfWriter& SwfWriter::StartSound(const SoundStartFields& start) {
  std::vector<std::uint8_t> body;
  Put16(body, start.id);
  PutSoundInfo(body, start);
  return RawTag(15, body);
}

SwfWriter& SwfWriter::DefineButtonSound(std::uint16_t buttonId, const std::array<std::optional<SoundStartFields>, 4>& sounds) {
  std::vector<std::uint8_t> body;
  Put16(body, buttonId);
  for (const auto& sound : sounds) {
    Put16(body, sound ? sound->id : 0);
    if (sound) PutSoundInfo(body, *sound);
  }
  return RawTag(17, body);
}

SwfWriter& SwfWriter::SoundStreamHead(SoundFormatFields format, std::uint16_t samplesPerBlock) {
  std::vector<std::uint8_t> body{FormatByte({0, format.rate, format.sixteenBit, format.stereo}), FormatByte(format)};
  Put16(body, samplesPerBlock);
  if (format.coding == 2) Put16(body, 0);
  return RawTag(45, body);
}

SwfWriter& SwfWriter::SoundStreamBlock(const std::vector<std::uint8_t>& data) { return RawTag(19, data); }

}  // namespace tavelin::testing
