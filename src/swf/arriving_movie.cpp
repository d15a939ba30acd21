#include "swf/arriving_movie.h"

#include <algorithm>

#include "platform/failure.h"

namespace tavelin::swf {

std::optional<Movie> ArrivingMovie::Add(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > kMaxMovieBytes - bytes_.size()) throw Failure(movie_failure::kTooLarge);
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  if (bytes_.size() < nextDecodeAt_) return std::nullopt;

  nextDecodeAt_ = std::max(bytes_.size(), std::size_t{1}) * 2;
  ++decodes_;
  std::optional<Movie> start = LoadMovieStart(bytes_);
  if (!start || start->FrameCount() <= framesGiven_) return std::nullopt;
  framesGiven_ = start->FrameCount();
  return start;
}

Movie ArrivingMovie::Finish() const { return LoadMovie(bytes_); }

}  // namespace tavelin::swf
