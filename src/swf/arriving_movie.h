#pragma once
// A movie file that arrives piece by piece (from the network): its bytes so far, and
// the decodes of them that let it play before the rest is there.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "swf/movie.h"

namespace tavelin::swf {

class ArrivingMovie {
 public:
  // The first decode is tried once this many bytes are there: enough for any header.
  static constexpr std::size_t kFirstDecodeBytes = 32;

  // Adds the next bytes. When the bytes have doubled since the last decode, decodes
  // their start again and returns it if it holds more frames than the last one given
  // out; so a file of n bytes is decoded about log2 n times however it is cut up.
  // Throws Failure when the bytes so far cannot be a movie, or are more than the
  // largest movie accepted.
  std::optional<Movie> Add(std::span<const std::uint8_t> bytes);

  // Decodes the whole file once every byte has arrived, by the rules of LoadMovie.
  Movie Finish() const;

  std::size_t Size() const { return bytes_.size(); }
  // How many times the start was decoded so far.
  int Decodes() const { return decodes_; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t nextDecodeAt_ = kFirstDecodeBytes;
  int framesGiven_ = 0;
  int decodes_ = 0;
};

}  // namespace tavelin::swf
