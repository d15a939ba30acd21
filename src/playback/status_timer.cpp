// The 200 ms status tick: follows the playing movie in the bottom strip and the
// full-screen status line, and restarts or advances playback on its own.
#include <string>

#include "platform/failure.h"
#include "platform/text.h"
#include "playback/playback.h"
#include "playback/status_strip.h"

namespace tavelin {

void Playback::Timer1_Timer() {
  StepRecord steps;  // a tick reports nothing; each failing step is skipped
  steps.Run([&] { ports_.desktop.YieldToMessages(); });
  // A close handled while yielding unloads the window and releases the control.
  if (!Player) return;
  if (steps.Run([&] { FrameNow = Player->CurrentFrame(); }) && FrameNow > 0) {
    steps.Run([&] {
      if (FrameRate == 0) throw Failure(failure_text::kDivisionByZero);
      const std::int32_t elapsed = FrameNow / FrameRate;
      SetLabel(3, std::to_string(elapsed / 60) + ":" + std::to_string(elapsed % 60));
    });
    if (TrackProgress) {
      steps.Run([&] { SetLabel(1, std::to_string(FrameNow)); });
      int position = 0;
      const bool positioned = steps.Run([&] {
        if (FrameTotal == 0) throw Failure(failure_text::kDivisionByZero);
        position = static_cast<int>(static_cast<long long>(FrameNow) * strip::kLastPosition / FrameTotal);
      });
      steps.Run([&] {
        if (Player->IsPlaying()) return;
        if (options_.AutoPlay && FrameNow < 30 && FrameTotal > 60) Player->Play();
        if (positioned && position > 190 && options_.ListLoop) host_.PlayNextFile();
      });
      if (positioned) {
        steps.Run([&] {
          if (thumbLeft_ == position + 1) return;
          thumbLeft_ = position + 1;
          window_.SetThumbLeft(thumbLeft_);
        });
        const std::string percent = std::to_string(position / 2) + " %";
        steps.Run([&] {
          if (!EqualsIgnoreCase(Label(5), percent)) SetLabel(5, percent);
        });
        steps.Run([&] {
          if (!ShowStatus) return;
          const LocalTime now = ports_.desktop.Now();
          const std::string text = "当前文件：[" + Player->Movie() + "] 总帧数：[" + std::to_string(FrameTotal) +
                                   "] 当前帧：[" + std::to_string(FrameNow) + "] 进度：[" + percent + "] 时钟：[" +
                                   ports_.desktop.FormatShortDate(now) + " " + ports_.desktop.FormatShortTime(now) + "]";
          window_.SetStatusLine(text, window_.TextWidth(text) + 20);
        });
      }
    }
  }
  steps.Run([&] { AdjustVolume(0); });
}

void Playback::PutOut_Resize(WindowState state) {
  if (state != WindowState::kMaximized) ShowStatus = false;
}

}  // namespace tavelin
