#include "swf/format/sound_decoder.h"

#include "swf/format/reader.h"

namespace tavelin::swf::format {

int SoundRate(std::uint32_t field) {
  static constexpr int kRates[4] = {5512, 11025, 22050, 44100};
  return kRates[field & 3];
}

SoundEncoding DecodeSoundEncoding(std::uint8_t bits) {
  SoundEncoding encoding;
  encoding.coding = static_cast<std::uint8_t>(bits >> 4);
  encoding.rate = SoundRate(bits >> 2);
  encoding.sixteenBit = (bits & 2) != 0;
  encoding.stereo = (bits & 1) != 0;
  return encoding;
}

SoundDefinition DecodeDefineSound(std::span<const std::uint8_t> body) {
  Reader reader(body);
  SoundDefinition definition;
  definition.id = reader.U16();
  definition.encoding = DecodeSoundEncoding(reader.U8());
  definition.sampleCount = reader.U32();
  definition.data = reader.Rest();
  return definition;
}

SoundInfo DecodeSoundInfo(Reader& reader) {
  SoundInfo info;
  const std::uint8_t flags = reader.U8();
  info.stop = (flags & 0x20) != 0;
  info.noMultiple = (flags & 0x10) != 0;
  if (flags & 0x01) info.inPoint = reader.U32();
  if (flags & 0x02) info.outPoint = reader.U32();
  if (flags & 0x04) info.loops = reader.U16();
  if (flags & 0x08) {
    const int points = reader.U8();
    info.envelope.reserve(points);
    for (int i = 0; i < points; ++i) {
      EnvelopePoint point;
      point.position = reader.U32();
      point.left = reader.U16();
      point.right = reader.U16();
      info.envelope.push_back(point);
    }
  }
  return info;
}

StartSound DecodeStartSound(std::span<const std::uint8_t> body, int version) {
  Reader reader(body);
  StartSound start;
  if (version == 1) {
    start.soundId = reader.U16();
  } else {
    start.className = reader.String();
  }
  start.info = DecodeSoundInfo(reader);
  return start;
}

StreamHead DecodeSoundStreamHead(std::span<const std::uint8_t> body) {
  Reader reader(body);
  reader.U8();  // the rate the authoring tool suggests for playback; the stream's own decides
  StreamHead head;
  head.encoding = DecodeSoundEncoding(reader.U8());
  head.samplesPerBlock = reader.U16();
  if (head.encoding.coding == static_cast<std::uint8_t>(SoundCoding::kMp3) && reader.Remaining() >= 2) {
    head.latencySeek = reader.S16();
  }
  return head;
}

}  // namespace tavelin::swf::format
