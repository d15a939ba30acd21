#include "playback/playback.h"

#include "platform/failure.h"

namespace tavelin {

Playback::Playback(Ports ports, PlaybackWindow& window, OutputWindowHost& putOut, PlaybackHost& host,
                   PlayerOptions& options, const ScreenScale& screen)
    : ports_(ports), window_(window), putOut_(putOut), host_(host), options_(options), screen_(screen), menus_(options) {}

void Playback::ApplyOptions(StepRecord& steps) {
  if (!Player) return;
  steps.Run([&] { menus_.ChooseQuality(options_.QualityIndex, *Player); });
  steps.Run([&] { menus_.ChooseScale(options_.ScaleIndex, *Player); });
  steps.Run([&] { Player->SetLoop(options_.MovieLoop); });
}

void Playback::SetLabel(int index, const std::string& text) {
  if (labels_[static_cast<std::size_t>(index)] == text) return;  // controls are written only on change
  labels_[static_cast<std::size_t>(index)] = text;
  window_.SetLabelText(index, text);
}

}  // namespace tavelin
