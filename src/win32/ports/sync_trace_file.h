#pragma once
// For measuring how the picture keeps up with the sound: when the environment variable
// TAVELIN_SYNC_TRACE names a file, the movie control's sync trace appends a line
// "seconds heard before after" to it on every tick paced by the sound (the performance
// counter in seconds, which other programs of the system read alike; the stream's
// position heard, in frames since it started; the frames
// the picture had moved on before and after the tick).

#include <cstdint>
#include <functional>

namespace tavelin::win32 {

// The trace writer, or an empty function when the variable is not set or the file
// cannot be made.
std::function<void(double heard, std::int64_t before, std::int64_t after)> SyncTraceFromEnvironment();

}  // namespace tavelin::win32
