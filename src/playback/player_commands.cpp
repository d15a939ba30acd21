// The commands of the toolbar and of the player menu that act on the movie.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/failure.h"
#include "platform/input.h"
#include "platform/rounding.h"
#include "playback/playback.h"

namespace tavelin {
namespace {

constexpr const char* kNetworkPrompt = "请输入网络资源的位置：";
constexpr const char* kNetworkTitle = "网络...";
constexpr const char* kNetworkPrefix = "http://www.";
constexpr const char* kStepPrompt = "请输入每次步进的增量值(帧)";
constexpr const char* kStepTitle = "设置步进";

// The shortest decimal text of a number that reads back as the same value.
std::string ShortestDecimal(double value) {
  char text[32];
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    if (std::strtod(text, nullptr) == value) break;
  }
  return text;
}

// The number at the start of a reply ("2.6 帧" reads 2.6), or nothing when there is none.
std::optional<double> LeadingNumber(const std::string& text) {
  const char* begin = text.c_str();
  while (*begin == ' ' || *begin == '\t') ++begin;
  char* end = nullptr;
  const double value = std::strtod(begin, &end);
  if (end == begin || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace

void Playback::PlayButton(WindowId navWindow) {
  if (!Player) return;
  if (Player->Movie().empty()) {
    ports_.desktop.PostKeyDown(navWindow, key::kEnter, 0);
  } else {
    Player->Play();
  }
}

void Playback::StopButton() {
  if (!Player) return;
  if (Player->Playing()) {
    Player->Stop();
    return;
  }
  // A blank address is no movie: the control unloads, and its Movie reads back empty.
  Player->SetMovie("");
  Player->SetBackgroundColor(-1);
}

void Playback::StepButton(int button) {
  if (!Player) return;
  const std::int64_t target = std::int64_t{2 * button - 7} * options_.StepFrames + FrameNow;
  Player->GotoFrame(static_cast<int>(std::clamp<std::int64_t>(target, INT32_MIN, INT32_MAX)));
  Player->Play();
}

void Playback::TogglePin() {
  OnTop = static_cast<short>(1 - OnTop);
  StepRecord ignored;
  // The output window first: the system keeps the active main window out of the band
  // while the movie's window is outside it (seen under Wine).
  ignored.Run([&] { putOut_.SetTopmost(OnTop == 1); });
  ignored.Run([&] { window_.SetTopmost(OnTop == 1); });
  window_.SetToolbarButtonPressed(8, OnTop == 1);
}

void Playback::OpenNetworkAddress() {
  if (!Player) return;
  const std::optional<std::string> address = ports_.dialogs.InputText(kNetworkPrompt, kNetworkTitle, kNetworkPrefix);
  if (address && !address->empty()) Player->SetMovie(*address);
}

void Playback::ToggleAutoPlay() { options_.AutoPlay = !options_.AutoPlay; }

void Playback::ToggleMovieLoop() {
  options_.MovieLoop = !options_.MovieLoop;
  if (options_.MovieLoop) options_.ListLoop = false;
  if (Player) Player->SetLoop(options_.MovieLoop);
}

void Playback::ToggleListLoop() {
  options_.ListLoop = !options_.ListLoop;
  if (!options_.ListLoop) return;
  options_.MovieLoop = false;
  if (Player) Player->SetLoop(false);
}

void Playback::ChooseBackgroundColor() {
  if (!Player) return;
  if (const std::optional<std::uint32_t> color = ports_.dialogs.PickColor(0)) {
    Player->SetBackgroundColor(static_cast<std::int32_t>(*color & 0xFFFFFF));
  }
}

std::string Playback::FrameRateCaption() const { return "当前帧速率:" + std::to_string(FrameRate) + " 帧/秒"; }

void Playback::AskStepSize() {
  const double seconds = FrameRate == 0 ? 0.0 : static_cast<double>(options_.StepFrames) / FrameRate;
  const std::string prompt =
      std::string(kStepPrompt) + "\r当前增量:" + ShortestDecimal(seconds) + " 秒\r" + FrameRateCaption();
  const std::optional<std::string> reply =
      ports_.dialogs.InputText(prompt, kStepTitle, std::to_string(options_.StepFrames));
  if (!reply || reply->empty()) return;
  const std::optional<double> frames = LeadingNumber(*reply);
  if (!frames || *frames < 1 || *frames > INT32_MAX) return;
  options_.StepFrames = static_cast<std::int32_t>(RoundHalfEven(*frames));
}

}  // namespace tavelin
