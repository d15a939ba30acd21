#include "win32/ports/wave_output.h"

#include <mmsystem.h>

#include <algorithm>

#include "platform/failure.h"
#include "win32/text.h"

namespace tavelin::win32 {
namespace {

[[noreturn]] void ThrowWaveFailure(MMRESULT result) {
  wchar_t text[MAXERRORLENGTH] = {};
  if (waveOutGetErrorTextW(result, text, MAXERRORLENGTH) == MMSYSERR_NOERROR && text[0] != L'\0') throw Failure(Narrow(text));
  throw Failure("无法打开声音设备");
}

}  // namespace

std::atomic<std::uint32_t>& SoftwareWaveVolume() {
  static std::atomic<std::uint32_t> volume{0xFFFFFFFFu};
  return volume;
}

WaveOutput::~WaveOutput() { Stop(); }

void WaveOutput::Start(SoundSource& source) {
  if (device_) return;
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = kOutputChannels;
  format.nSamplesPerSec = kOutputRate;
  format.wBitsPerSample = 16;
  format.nBlockAlign = static_cast<WORD>(format.nChannels * format.wBitsPerSample / 8);
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;

  wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (!wake_) throw Failure("无法打开声音设备");
  HWAVEOUT device = nullptr;
  const MMRESULT result = waveOutOpen(&device, 0, &format, reinterpret_cast<DWORD_PTR>(wake_), 0, CALLBACK_EVENT);
  if (result != MMSYSERR_NOERROR) {
    CloseHandle(wake_);
    wake_ = nullptr;
    ThrowWaveFailure(result);
  }
  device_ = device;
  source_ = &source;
  written_ = 0;
  stopping_ = false;
  for (Buffer& buffer : buffers_) {
    buffer.samples.assign(kBufferFrames * kOutputChannels, 0);
    buffer.header = WAVEHDR{};
    buffer.header.lpData = reinterpret_cast<LPSTR>(buffer.samples.data());
    buffer.header.dwBufferLength = static_cast<DWORD>(buffer.samples.size() * sizeof(std::int16_t));
    waveOutPrepareHeader(device_, &buffer.header, sizeof buffer.header);
    Submit(buffer);
  }
  worker_ = std::thread([this] { Run(); });
}

void WaveOutput::Submit(Buffer& buffer) {
  try {
    source_->Fill(buffer.samples);
  } catch (...) {
    // Nothing leaves the device's thread: a source that fails plays silence.
    std::fill(buffer.samples.begin(), buffer.samples.end(), std::int16_t{0});
  }
  const std::uint32_t volume = SoftwareWaveVolume();
  if (volume != 0xFFFFFFFFu) {
    const std::int32_t left = static_cast<std::int32_t>(volume & 0xFFFF), right = static_cast<std::int32_t>(volume >> 16);
    for (std::size_t i = 0; i < buffer.samples.size(); i += 2) {
      buffer.samples[i] = static_cast<std::int16_t>(buffer.samples[i] * left / 65535);
      buffer.samples[i + 1] = static_cast<std::int16_t>(buffer.samples[i + 1] * right / 65535);
    }
  }
  buffer.header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
  if (waveOutWrite(device_, &buffer.header, sizeof buffer.header) == MMSYSERR_NOERROR) written_ += kBufferFrames;
}

void WaveOutput::Run() {
  while (!stopping_) {
    WaitForSingleObject(wake_, 100);
    if (stopping_) break;
    for (Buffer& buffer : buffers_) {
      if (buffer.header.dwFlags & WHDR_DONE) Submit(buffer);
    }
  }
}

void WaveOutput::Stop() {
  if (!device_) return;
  stopping_ = true;
  SetEvent(wake_);
  if (worker_.joinable()) worker_.join();
  waveOutReset(device_);
  for (Buffer& buffer : buffers_) waveOutUnprepareHeader(device_, &buffer.header, sizeof buffer.header);
  waveOutClose(device_);
  CloseHandle(wake_);
  device_ = nullptr;
  wake_ = nullptr;
  source_ = nullptr;
}

std::size_t WaveOutput::QueuedFrames() const {
  if (!device_) return 0;
  MMTIME time{};
  time.wType = TIME_SAMPLES;
  const std::uint64_t written = written_;
  if (waveOutGetPosition(device_, &time, sizeof time) != MMSYSERR_NOERROR || time.wType != TIME_SAMPLES) {
    return kBufferFrames * kBuffers;
  }
  // The position counts in 32 bits; written frames wrap the same way.
  const std::uint32_t queued = static_cast<std::uint32_t>(written) - time.u.sample;
  return std::min<std::size_t>(queued, kBufferFrames * kBuffers);
}

}  // namespace tavelin::win32
