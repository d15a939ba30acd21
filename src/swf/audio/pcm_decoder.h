#pragma once
// Turns stored samples into signed 16-bit samples at their own rate and channel count:
// uncompressed samples and the format's ADPCM of 2 to 5 bits a sample.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tavelin::swf::audio {

// Appends at most `maxFrames` frames of uncompressed samples: 8-bit ones are unsigned
// around 128, 16-bit ones little-endian, or big-endian when `bigEndian`. A last
// incomplete frame is dropped.
void DecodePcm(std::span<const std::uint8_t> data, bool sixteenBit, bool stereo, bool bigEndian, std::size_t maxFrames,
               std::vector<std::int16_t>& samples);

// Appends at most `maxFrames` frames of ADPCM data: a two-bit code size, then packets
// of 4,096 frames, each opening with every channel's first sample and step index.
// Decoding ends where the data does; a packet cut short keeps the frames it holds.
void DecodeAdpcm(std::span<const std::uint8_t> data, bool stereo, std::size_t maxFrames, std::vector<std::int16_t>& samples);

}  // namespace tavelin::swf::audio
