#include "swf/timeline.h"

#include <algorithm>
#include <cmath>

namespace tavelin::swf {
namespace {

// Sums of durations such as 1/60 s rarely land exactly on a frame boundary in binary
// floating point; a frame that is due up to this fraction early counts as due.
constexpr double kFrameTolerance = 1e-9;

}  // namespace

Timeline::Timeline(int frameCount, double frameRate)
    : frameCount_(std::max(frameCount, 1)),
      framesLoaded_(frameCount_),
      frameRate_(std::isfinite(frameRate) && frameRate > 0 ? std::min(frameRate, kMaxFrameRate) : kFallbackFrameRate) {}

void Timeline::Play() {
  playing_ = true;
  pendingFrames_ = 0;
}

void Timeline::Stop() {
  playing_ = false;
  pendingFrames_ = 0;
}

void Timeline::GotoFrame(int frame) {
  current_ = std::clamp(frame, 0, framesLoaded_ - 1);
  Stop();
}

void Timeline::SetFramesLoaded(int frames) { framesLoaded_ = std::clamp(frames, 1, frameCount_); }

void Timeline::SetFrameCount(int frameCount) {
  frameCount_ = std::max(frameCount, 1);
  framesLoaded_ = frameCount_;
  current_ = std::min(current_, frameCount_ - 1);
}

bool Timeline::Advance(double seconds) {
  if (!playing_ || !std::isfinite(seconds) || seconds <= 0) return false;
  // Bounding the seconds first keeps the product finite; the catch-up cap is far lower.
  pendingFrames_ += std::min(seconds, 3600.0) * frameRate_;
  const double due = std::floor(pendingFrames_ + kFrameTolerance);
  if (due < 1) return false;
  pendingFrames_ = std::max(0.0, pendingFrames_ - due);
  return StepFrames(static_cast<long>(std::min(due, static_cast<double>(CatchUpFrames()))));
}

long Timeline::CatchUpFrames() const {
  return static_cast<long>(std::max(1.0, std::floor(frameRate_ * kMaxCatchUpSeconds)));
}

bool Timeline::StepFrames(long steps) {
  if (!playing_ || steps <= 0) return false;
  const int before = current_;
  const long last = frameCount_ - 1;
  const long lastLoaded = framesLoaded_ - 1;
  if (current_ + steps <= lastLoaded) {
    current_ += static_cast<int>(steps);
  } else if (lastLoaded < last) {
    current_ = static_cast<int>(lastLoaded);  // waits for the frames still arriving
    pendingFrames_ = 0;
  } else if (loop_) {
    current_ = static_cast<int>((current_ + steps) % frameCount_);
  } else {
    current_ = static_cast<int>(last);
    Stop();
  }
  return current_ != before;
}

}  // namespace tavelin::swf
