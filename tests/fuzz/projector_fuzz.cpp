// Any bytes as a projector: the layout decision and the scan never read outside the
// file, every movie they cut lies inside it, and reading the file in small windows finds
// exactly what reading it whole does.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "projector/projector_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> file(data, size);
  const tavelin::projector::ProjectorContents contents = tavelin::projector::FindMovies(file);
  std::uint64_t previousEnd = 0;
  for (const tavelin::projector::MoviePiece& movie : contents.movies) {
    if (movie.length == 0 || movie.start + movie.length > size || movie.start < previousEnd) std::abort();
    previousEnd = movie.start + movie.length;
  }
  if (contents.movies.size() > 11) std::abort();
  const tavelin::projector::ProjectorContents windowed = tavelin::projector::FindMovies(file, 17);
  if (windowed.layout != contents.layout || windowed.movies != contents.movies) std::abort();
  return 0;
}
