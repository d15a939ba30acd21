// Any file start must decode without reading out of bounds: every getter either
// gives a value or fails with a description.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/failure.h"
#include "swf/movie_header.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> file(data, size);
  const auto prepared = tavelin::swf::PrepareHeader(file);
  const tavelin::swf::MovieHeader header(prepared.bytes);
  if (header.RectBytes() < 1 || header.RectBytes() > 17) std::abort();
  tavelin::StepRecord steps;
  steps.Run([&] { (void)header.FrameRate(); });
  steps.Run([&] { (void)header.BackgroundColor(); });
  steps.Run([&] { (void)header.StageWidth(); });
  steps.Run([&] { (void)header.StageHeight(); });
  // An uncompressed file's buffer is exactly its first bytes.
  if (size >= tavelin::swf::kHeaderBytes && data[0] != 'C') {
    for (std::size_t i = 0; i < tavelin::swf::kHeaderBytes; ++i) {
      if (prepared.bytes[i] != data[i]) std::abort();
    }
  }
  return 0;
}
