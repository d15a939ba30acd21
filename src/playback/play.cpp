// Play: the one way a local movie file gets into the player.
#include <string>

#include "platform/text.h"
#include "shell/app_info.h"
#include "shell/cwin.h"
#include "swf/movie_header.h"

namespace tavelin {
namespace {

// The name of the file as the directory lists it, or empty when no file (hidden and
// read-only ones included, folders and system files not) is there.
std::string ListedName(FileSystem& files, const std::string& file) {
  try {
    for (const DirectoryEntry& entry : files.List(file)) {
      if (!(entry.attributes & (attr::kDirectory | attr::kSystem))) return entry.name;
    }
  } catch (const Failure&) {
    // A path the system cannot even look up names no file.
  }
  return {};
}

}  // namespace

void CWin::Play(const std::string& file) {
  const std::string name = ListedName(ports_.files, file);
  if (name.empty()) {
    ShowMessage("文件: \u201C" + file + "\u201D 不存在！", 64, "文件信息");
    return;
  }

  StepRecord steps;
  swf::HeaderBuffer bytes{};
  steps.Run([&] {
    const swf::PreparedHeader prepared = swf::PrepareHeader(ports_.files.ReadFile(file, swf::kHeaderReadLimit));
    bytes = prepared.bytes;
    if (!prepared.failure.empty()) throw Failure(prepared.failure);
  });
  const swf::MovieHeader header(bytes);
  if (!header.HasSignature()) {
    ShowMessage("标志位错误，文件可能已经损坏！", 0);
    return;
  }

  steps.Run([&] { FrameRate = static_cast<short>(header.FrameRate()); });
  steps.Run([&] { Player->SetBackgroundColor(static_cast<std::int32_t>(header.BackgroundColor())); });
  if (putOut_.State() == WindowState::kNormal) {
    steps.Run([&] { FlashWidth = header.StageWidth(); });
    steps.Run([&] { FlashHeigh = header.StageHeight(); });
    steps.Run([&] {
      const int screenTwips = ports_.desktop.ScreenWidthPixels() * TwipsX;
      putOut_.MoveTwips((screenTwips - FlashWidth * TwipsX) / 2, 0, (FlashWidth + 8) * TwipsX,
                        (FlashHeigh + 8) * TwipsY);
    });
  }
  const bool loaded = steps.Run([&] {
    if (!EqualsIgnoreCase(Player->Movie(), file)) {
      menus_.ZoomRect().enabled = true;
      Player->SetMovie(file);
    }
  });
  // A movie the control refuses (a damaged file) leaves the playing movie, and the
  // title and labels that describe it, as they were.
  if (!loaded) {
    ShowMessage(steps.LastFailure(), 0);
    return;
  }
  steps.Run([&] { SetCaption(std::string(kAppTitle) + " - " + name); });
  steps.Run([&] {
    FrameTotal = Player->TotalFrames();
    SetLabel(0, std::to_string(FrameTotal));
  });
  steps.Run([&] {
    if (FrameRate == 0) throw Failure(failure_text::kDivisionByZero);
    const std::int32_t minutes = FrameTotal / (FrameRate * 60);
    const std::int32_t seconds = (FrameTotal / FrameRate) % 60;
    SetLabel(2, std::to_string(minutes) + ":" + std::to_string(seconds));
  });
  steps.Run([&] {
    TrackProgress = true;
    window_.EnableStatusTimer();
  });
  steps.Run([&] { menus_.ChooseQuality(QualityIndex, QualityIndex, *Player); });
  steps.Run([&] { Player->Play(); });
  steps.Run([&] {
    if (window_.WindowRect().Intersects(putOut_.WindowRect())) putOut_.Focus();
  });
  if (steps.HasFailure()) ShowMessage(steps.LastFailure(), 0);
}

}  // namespace tavelin
