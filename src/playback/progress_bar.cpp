// The bottom strip's progress and volume bar: drawing, the thumb's drag, the volume.
#include <algorithm>
#include <string>

#include "platform/failure.h"
#include "platform/rounding.h"
#include "playback/playback.h"
#include "playback/status_strip.h"

namespace tavelin {
namespace {

std::string Percent(int position) { return std::to_string(position / 2) + " %"; }

int ToPixels(double twips, int twipsPerPixel) {
  return static_cast<int>(RoundHalfEven(twips) / std::max(twipsPerPixel, 1));
}

}  // namespace

void Playback::DrawStatusStrip() {
  window_.DrawStatusStrip(LayoutStatusStrip(window_.ClientWidth(), window_.ClientHeight()));
  window_.SetThumbLeft(thumbLeft_);
}

// Reports nothing: without a wave-out device the volume and its label stay as they are.
void Playback::AdjustVolume(short steps) {
  const int delta = steps * 32;
  std::uint32_t volume = 0;
  try {
    volume = ports_.desktop.GetWaveVolume(0);
  } catch (const Failure&) {
    return;
  }
  const int b0 = volume & 0xFF, b1 = (volume >> 8) & 0xFF, b2 = (volume >> 16) & 0xFF, b3 = volume >> 24;
  const int low = std::clamp((b0 + delta + b2) / 2, 0, 255);
  const int high = std::clamp((b1 + delta + b3) / 2, 0, 255);
  const std::uint32_t channel = static_cast<std::uint32_t>(high << 8 | low);
  SetLabel(4, std::to_string(channel / 655) + " %");
  if (steps == 0) return;
  StepRecord ignored;
  ignored.Run([&] { ports_.desktop.SetWaveVolume(0, channel << 16 | channel); });
}

void Playback::Slider_MouseDown(int, int, double x, double) {
  DragStartX = ToPixels(x, screen_.TwipsX);
  TrackProgress = false;
}

void Playback::Slider_MouseMove(int button, int, double x, double) {
  StepRecord ignored;
  ignored.Run([&] {
    const int moved = ToPixels(x, screen_.TwipsX) - DragStartX;
    if ((button != 1 && button != 2) || moved == 0) return;
    const int position = std::clamp(thumbLeft_ - 1 + moved, 0, strip::kLastPosition);
    if (position + 1 == thumbLeft_) return;
    thumbLeft_ = position + 1;
    window_.SetThumbLeft(thumbLeft_);
    SetLabel(button == 1 ? 5 : 4, Percent(position));
    if (button == 2) {
      const std::uint32_t channel = static_cast<std::uint32_t>(position) * 65535u / strip::kLastPosition;
      ports_.desktop.SetWaveVolume(0, channel << 16 | channel);
    } else {
      SetLabel(1, std::to_string(static_cast<long long>(position) * FrameTotal / strip::kLastPosition));
    }
  });
}

void Playback::Slider_MouseUp(int button, int shift, double, double y) {
  StepRecord ignored;
  if (button == 1 && Player) {
    const int row = ToPixels(y, screen_.TwipsY);
    const int position = thumbLeft_ - 1;
    ignored.Run([&] {
      if (row > 0 && row < strip::kThumbHeight) {
        Player->GotoFrame(static_cast<int>(static_cast<long long>(position) * FrameTotal / strip::kLastPosition));
      }
    });
    ignored.Run([&] {
      if (!(shift & 2)) Player->Play();
    });
  }
  TrackProgress = true;
}

}  // namespace tavelin
