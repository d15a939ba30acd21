// Any bytes must either load as a movie whose every frame and tag lies inside its data,
// or be refused with a description: never a crash, a hang or an out-of-bounds read.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/failure.h"
#include "swf/movie.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tavelin::swf::Movie movie;
  try {
    movie = tavelin::swf::LoadMovie(std::span<const std::uint8_t>(data, size));
  } catch (const tavelin::Failure& failure) {
    if (failure.what()[0] == '\0') std::abort();
    return 0;
  }
  if (movie.FrameCount() < 1 || movie.FrameCount() > 65535) std::abort();
  if (movie.Stage().Width() <= 0 || movie.Stage().Height() <= 0) std::abort();
  if (movie.BackgroundColor() > 0xFFFFFFu) std::abort();
  // Tags lie inside the data, in file order, without overlapping.
  const std::size_t dataSize = movie.Data().size();
  std::size_t previousEnd = 0;
  for (int frame = 0; frame < movie.FrameCount(); ++frame) {
    for (const tavelin::swf::Tag& tag : movie.FrameTags(frame)) {
      if (tag.offset < previousEnd || tag.offset > dataSize || tag.length > dataSize - tag.offset) std::abort();
      previousEnd = std::size_t{tag.offset} + tag.length;
      const auto body = movie.TagBody(tag);
      if (body.size() != tag.length || (!body.empty() && &body.back() != movie.Data().data() + previousEnd - 1)) std::abort();
    }
  }
  return 0;
}
