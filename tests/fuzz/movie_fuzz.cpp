// Any bytes must either load as a movie whose every frame and tag lies inside its data,
// or be refused with a description: never a crash, a hang or an out-of-bounds read.
// The same bytes are also taken as the start of a file still arriving, and as a file
// arriving in pieces that one movie grows through.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>

#include "platform/failure.h"
#include "swf/arriving_movie.h"
#include "swf/movie.h"

namespace {

using tavelin::swf::Movie;

void Check(const Movie& movie) {
  if (movie.FrameCount() < 1 || movie.FrameCount() > 65535) std::abort();
  if (movie.ExpectedFrameCount() < 1 || movie.ExpectedFrameCount() > 65535) std::abort();
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
}

void RefusedWithText(const tavelin::Failure& failure) {
  if (failure.what()[0] == '\0') std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  std::optional<Movie> whole;
  try {
    whole = tavelin::swf::LoadMovie(input);
    Check(*whole);
  } catch (const tavelin::Failure& failure) {
    RefusedWithText(failure);
  }

  try {
    if (const std::optional<Movie> start = tavelin::swf::LoadMovieStart(input)) Check(*start);
  } catch (const tavelin::Failure& failure) {
    RefusedWithText(failure);
  }

  // In pieces of a size the input chooses; a movie that loads whole must also arrive.
  const std::size_t piece = size == 0 ? 1 : 1 + data[size - 1] % 97;
  tavelin::swf::ArrivingMovie arriving;
  std::shared_ptr<Movie> playing;
  try {
    for (std::size_t at = 0; at < size; at += piece) {
      std::optional<Movie> start = arriving.Add(input.subspan(at, std::min(piece, size - at)));
      if (!start) continue;
      if (playing) {
        const int before = playing->FrameCount();
        playing->Grow(std::move(*start));
        if (playing->FrameCount() <= before) std::abort();
      } else {
        playing = std::make_shared<Movie>(std::move(*start));
      }
      Check(*playing);
    }
    Movie finished = arriving.Finish();
    if (playing) {
      playing->Grow(std::move(finished));
    } else {
      playing = std::make_shared<Movie>(std::move(finished));
    }
    Check(*playing);
    if (!whole || playing->FrameCount() != whole->FrameCount() || !playing->Complete()) std::abort();
  } catch (const tavelin::Failure& failure) {
    RefusedWithText(failure);
    if (whole) std::abort();
  }
  return 0;
}
