// Play: the one way a local movie file gets into the player.
#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/failure.h"
#include "platform/text.h"
#include "playback/playback.h"
#include "swf/movie_header.h"

namespace tavelin {
namespace {

// Windows keeps window coordinates within 16 bits.
constexpr std::int64_t kLargestWindowPixels = 32767;

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

void Playback::Play(const std::string& file) {
  if (!Player) return;  // the window is closing: the control is gone
  const std::string name = ListedName(ports_.files, file);
  if (name.empty()) {
    host_.ShowMessage("文件: \u201C" + file + "\u201D 不存在！", 64, "文件信息");
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
    host_.ShowMessage("标志位错误，文件可能已经损坏！", 0);
    return;
  }

  // The control takes the movie first: a movie it refuses (a damaged file) changes
  // nothing at all, and the playing movie keeps its window, colour, title and labels.
  const bool loaded = steps.Run([&] {
    if (!EqualsIgnoreCase(Player->Movie(), file)) {
      menus_.ZoomRect().enabled = true;
      Player->SetMovie(file);
    }
  });
  if (!loaded) {
    host_.ShowMessage(steps.LastFailure(), 0);
    return;
  }

  steps.Run([&] { FrameRate = static_cast<short>(header.FrameRate()); });
  steps.Run([&] {
    // Without the colour up front (file attributes come first since version 8) the
    // control takes the movie's own colour wherever its tag stands.
    constexpr std::int32_t kMoviesOwnColour = -1;
    Player->SetBackgroundColor(header.FirstTagIsBackgroundColor() ? static_cast<std::int32_t>(header.BackgroundColor())
                                                                  : kMoviesOwnColour);
  });
  if (putOut_.State() == WindowState::kNormal) {
    steps.Run([&] { FlashWidth = header.StageWidth(); });
    steps.Run([&] { FlashHeigh = header.StageHeight(); });
    steps.Run([&] {
      // A crafted header may give a stage of millions of pixels: the arithmetic is done
      // in 64 bits and the window kept within what the system can show.
      const auto clamp = [](std::int64_t pixels) {
        return std::clamp<std::int64_t>(pixels, -kLargestWindowPixels, kLargestWindowPixels);
      };
      const std::int64_t width = clamp(std::int64_t{FlashWidth} + 8);
      const std::int64_t height = clamp(std::int64_t{FlashHeigh} + 8);
      const std::int64_t left = clamp((std::int64_t{ports_.desktop.ScreenWidthPixels()} - clamp(FlashWidth)) / 2);
      putOut_.MoveTwips(static_cast<int>(left * screen_.TwipsX), 0, static_cast<int>(width * screen_.TwipsX),
                        static_cast<int>(height * screen_.TwipsY));
    });
  }
  steps.Run([&] { host_.NameMovieInCaption(name); });
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
  steps.Run([&] { menus_.ChooseQuality(options_.QualityIndex, *Player); });
  steps.Run([&] { Player->Play(); });
  steps.Run([&] {
    if (window_.WindowRect().Intersects(putOut_.WindowRect())) putOut_.Focus();
  });
  if (steps.HasFailure()) host_.ShowMessage(steps.LastFailure(), 0);
}

}  // namespace tavelin
