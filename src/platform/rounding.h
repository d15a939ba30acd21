#pragma once
// Rounding as the window's own arithmetic does it.

#include <cmath>

namespace tavelin {

// Rounds halves to the even neighbour (the default rounding mode does).
inline long RoundHalfEven(double value) { return std::lrint(value); }

}  // namespace tavelin
