#pragma once
// Which wider instructions the processor running the program has. The hot loops keep an
// SSE2 version (every x86-64) and add an AVX2 one, chosen at run time, since the program
// is built for the baseline processor.

// Not on Windows: there GCC does not keep the stack 32-byte aligned for the AVX values it
// spills, and an aligned spill would fault; the SSE2 versions serve the program there.
#if (defined(__x86_64__) || defined(__i386__)) && !defined(_WIN32)
#define TAVELIN_RENDER_AVX2 1
#define TAVELIN_TARGET_AVX2 __attribute__((target("avx2")))
#endif

namespace tavelin::swf::render {

// Whether the AVX2 versions may be used where the processor has them; tests turn this
// off to check that the baseline versions paint the same pixels.
inline bool& WideInstructionsAllowed() {
  static bool allowed = true;
  return allowed;
}

#if defined(TAVELIN_RENDER_AVX2)
inline bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has && WideInstructionsAllowed();
}
#endif

}  // namespace tavelin::swf::render
