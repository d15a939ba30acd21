#pragma once
// Seconds from the performance counter, for the timings of the real windows.

#include "win32/windows_api.h"

namespace tavelin::bench {

inline double Seconds() {
  LARGE_INTEGER now{}, frequency{};
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace tavelin::bench
