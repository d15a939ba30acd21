#pragma once
// A busy movie for measuring the player's cost: a 550 x 400 stage at 25 frames per
// second with 200 shapes of curved outlines (20 kinds: a radial or linear gradient body
// partly transparent, a translucent highlight, an outline on every fourth), each turning
// and drifting a little every frame for 100 frames.

#include <cstdint>
#include <vector>

namespace tavelin::testing {

std::vector<std::uint8_t> MakeBusyMovie();

}  // namespace tavelin::testing
