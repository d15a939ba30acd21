#pragma once
// The sound output on wave-out device 0: eight buffers of about 50 ms, refilled from the
// source by a worker thread that the device's event wakes when one comes back. The
// interface thread never waits on the device.

#include "win32/windows_api.h"

#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/sound_output.h"

namespace tavelin::win32 {

// The volume (low word left, high word right) every wave output scales its samples by,
// for systems that refuse to set device 0's volume by its id; full when the device's
// own volume applies.
std::atomic<std::uint32_t>& SoftwareWaveVolume();

class WaveOutput : public SoundOutput {
 public:
  // 400 ms in all: enough to ride out the worker waiting its turn on a busy machine.
  static constexpr int kBuffers = 8;
  static constexpr std::size_t kBufferFrames = 2205;  // 50 ms at 44,100 frames a second

  WaveOutput() = default;
  ~WaveOutput() override;
  WaveOutput(const WaveOutput&) = delete;
  WaveOutput& operator=(const WaveOutput&) = delete;

  void Start(SoundSource& source) override;
  void Stop() override;
  bool Running() const override { return device_ != nullptr; }
  std::size_t QueuedFrames() const override;


 private:
  struct Buffer {
    WAVEHDR header{};
    std::vector<std::int16_t> samples;
  };
  void Run();
  void Submit(Buffer& buffer);

  HWAVEOUT device_ = nullptr;
  HANDLE wake_ = nullptr;
  SoundSource* source_ = nullptr;
  Buffer buffers_[kBuffers];
  std::thread worker_;
  std::atomic<bool> stopping_{false};
  std::atomic<std::uint64_t> written_{0};  // frames handed to the device
};

}  // namespace tavelin::win32
