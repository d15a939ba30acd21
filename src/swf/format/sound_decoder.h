#pragma once
// Decodes the sound tags: sound definitions, the instructions that start and stop
// them, and the heads of the sound streamed along a timeline.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tavelin::swf::format {

class Reader;

enum class SoundCoding : std::uint8_t {
  kPcm = 0,  // written by the authoring machine's byte order, little-endian in practice
  kAdpcm = 1,
  kMp3 = 2,
  kPcmLittleEndian = 3,
  kNellymoser16k = 4,
  kNellymoser8k = 5,
  kNellymoser = 6,
  kSpeex = 11,
};

// How a sound's samples are stored.
struct SoundEncoding {
  std::uint8_t coding = 0;  // a SoundCoding value, or an unknown one
  int rate = 5512;          // samples a second: 5512, 11025, 22050 or 44100
  bool sixteenBit = true;
  bool stereo = false;

  int Channels() const { return stereo ? 2 : 1; }
};

struct SoundDefinition {
  std::uint16_t id = 0;
  SoundEncoding encoding;
  std::uint32_t sampleCount = 0;  // frames, per channel
  std::span<const std::uint8_t> data;
};

// A point of a volume envelope: levels 0 (silent) to 32768 (full) at a position counted
// in frames at 44,100 a second from the start of the sound.
struct EnvelopePoint {
  std::uint32_t position = 0;
  std::uint16_t left = 32768, right = 32768;
};

// How one start of an event sound plays.
struct SoundInfo {
  bool stop = false;        // stops the sound's every instance instead of starting it
  bool noMultiple = false;  // starts nothing while an instance still plays
  // Where each pass begins and ends, in frames at 44,100 a second.
  std::optional<std::uint32_t> inPoint;
  std::optional<std::uint32_t> outPoint;
  std::uint16_t loops = 1;  // passes played; 0 counts as 1
  std::vector<EnvelopePoint> envelope;
};

struct StartSound {
  std::uint16_t soundId = 0;
  std::string className;  // the second form names an exported sound instead of an id
  SoundInfo info;
};

// The head of a timeline's streamed sound.
struct StreamHead {
  SoundEncoding encoding;
  std::uint16_t samplesPerBlock = 0;
  std::int16_t latencySeek = 0;  // MP3 only
};

// The sample rate a two-bit rate field names.
int SoundRate(std::uint32_t field);
SoundEncoding DecodeSoundEncoding(std::uint8_t bits);

// Each throws DecodeError when the body is too short for what it says.
SoundDefinition DecodeDefineSound(std::span<const std::uint8_t> body);
// `version` 1 reads StartSound (an id), 2 StartSound2 (a class name).
StartSound DecodeStartSound(std::span<const std::uint8_t> body, int version);
SoundInfo DecodeSoundInfo(Reader& reader);
StreamHead DecodeSoundStreamHead(std::span<const std::uint8_t> body);

}  // namespace tavelin::swf::format
