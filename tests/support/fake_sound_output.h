#pragma once
// A sound device the test drives: it takes frames from its source only when the test
// pulls them, and reports as queued what the test says.

#include <cstdint>
#include <vector>

#include "platform/failure.h"
#include "platform/sound_output.h"

namespace tavelin::testing {

class FakeSoundOutput : public SoundOutput {
 public:
  bool refuseToStart = false;
  std::size_t queued = 0;

  void Start(SoundSource& source) override {
    if (refuseToStart) throw Failure("没有声音设备");
    source_ = &source;
  }
  void Stop() override { source_ = nullptr; }
  bool Running() const override { return source_ != nullptr; }
  std::size_t QueuedFrames() const override { return queued; }

  // Takes `frames` frames from the source (silence when stopped), interleaved stereo.
  std::vector<std::int16_t> Pull(std::size_t frames) {
    std::vector<std::int16_t> samples(frames * 2, 0);
    if (source_) source_->Fill(samples);
    return samples;
  }

 private:
  SoundSource* source_ = nullptr;
};

}  // namespace tavelin::testing
