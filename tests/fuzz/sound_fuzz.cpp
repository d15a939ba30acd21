// Any bytes given to the sound decoders, as a sound definition, a start with its
// envelope, or a stream head followed by blocks, decode and mix within bounds: never a
// crash, a hang or an out-of-bounds read. The first byte picks the path.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "swf/audio/mp3_frames.h"
#include "swf/audio/sound_converter.h"
#include "swf/audio/sound_mixer.h"
#include "swf/format/reader.h"
#include "swf/format/sound_decoder.h"

namespace {

using namespace tavelin::swf;

void Mix(audio::SoundMixer& mixer) {
  std::vector<std::int16_t> buffer(2 * 2205);
  for (int i = 0; i < 8; ++i) mixer.Fill(buffer);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::span<const std::uint8_t> body(data + 1, size - 1);
  audio::SoundMixer mixer;
  try {
    switch (data[0] % 3) {
      case 0: {  // a definition, started with the info that follows it
        const format::SoundDefinition definition = format::DecodeDefineSound(body);
        auto samples = std::make_shared<std::vector<std::int16_t>>();
        audio::SoundConverter(definition.encoding, nullptr)
            .Convert(definition.data, definition.sampleCount, audio::kMaxSoundFrames, *samples);
        if (samples->size() % 2 != 0 || samples->size() / 2 > audio::kMaxSoundFrames) std::abort();
        mixer.StartSound(definition.id, samples, format::SoundInfo{});
        Mix(mixer);
        break;
      }
      case 1: {  // a start: its info drives a short sound
        const format::StartSound start = format::DecodeStartSound(body, 1);
        mixer.StartSound(start.soundId, std::make_shared<std::vector<std::int16_t>>(2000, 1000), start.info);
        Mix(mixer);
        break;
      }
      default: {  // a stream head, then blocks of 64 bytes each
        if (body.size() < 4) return 0;
        const format::StreamHead head = format::DecodeSoundStreamHead(body.first(4));
        audio::SoundConverter stream(head.encoding, nullptr);
        std::vector<std::int16_t> queued;
        for (std::size_t at = 4; at < body.size(); at += 64) {
          queued.clear();
          stream.Convert(body.subspan(at, std::min<std::size_t>(64, body.size() - at)), head.samplesPerBlock, 88200, queued);
          if (queued.size() > 2 * 88200) std::abort();
          mixer.QueueStream(0, queued);
        }
        Mix(mixer);
        audio::FindMp3Frame(body);
        break;
      }
    }
  } catch (const format::DecodeError&) {
    // Refused as too short: fine.
  }
  return 0;
}
