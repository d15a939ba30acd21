#include "playback/movie_control/engine_movie_control.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "platform/failure.h"
#include "playback/movie_control/movie_audio.h"
#include "playback/movie_control/network_movie.h"
#include "playback/movie_control/movie_loads.h"
#include "playback/movie_control/movie_scripts.h"
#include "playback/movie_control/stage_view.h"
#include "playback/movie_control/system_fonts.h"
#include "swf/movie.h"
#include "swf/player/player.h"
#include "swf/timeline.h"

// Members that need a movie, with none loaded:
// - TotalFrames, CurrentFrame and GotoFrame throw Failure("没有载入影片"): there is no
//   frame to count, report or show, and a made-up answer would mislead the caller.
// - Play and Stop do nothing, Playing and IsPlaying report false: "not running" is
//   simply true, and the keyboard may press Play at any time.
// - Loop, scale mode, background colour and quality are remembered and apply to the
//   next movie; Zoom and SetZoomRect do nothing, since every movie starts on its whole
//   stage.
// Arguments outside what a member understands throw "无效的过程调用或参数".

namespace tavelin {
namespace {

constexpr const char* kNoMovie = "没有载入影片";
constexpr const char* kInvalidArgument = "无效的过程调用或参数";
constexpr const char* kAddressNotSupported = "无法打开网络地址上的影片";

// What the viewport shows outside the stage and when no movie is loaded.
constexpr std::uint32_t kEmptyArea = 0xFF000000u;
constexpr std::int32_t kOwnColour = -1;

enum class Quality { kHigh, kAutoHigh, kMedium, kAutoLow, kLow };

bool IsBlank(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

bool IsNetworkAddress(const std::string& text) { return text.find("://") != std::string::npos; }

std::string AsciiLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

swf::render::Quality RenderQuality(Quality quality) {
  switch (quality) {
    case Quality::kHigh:
    case Quality::kAutoHigh:
      return swf::render::Quality::kHigh;
    case Quality::kMedium:
      return swf::render::Quality::kMedium;
    case Quality::kAutoLow:
    case Quality::kLow:
      break;
  }
  return swf::render::Quality::kLow;
}

TwipRect ToTwipRect(const swf::StageRect& stage) {
  return {static_cast<double>(stage.xMin), static_cast<double>(stage.yMin), static_cast<double>(stage.xMax),
          static_cast<double>(stage.yMax)};
}

}  // namespace

struct EngineMovieControl::State {
  struct Loaded {
    std::shared_ptr<const swf::Movie> movie;
    swf::Timeline timeline;
    // The movie's scripts; declared before the player, which uses them to the end.
    std::unique_ptr<MovieScripts> scripts;
    // Kept on the timeline's frame: each frame the clock moves on is played in turn.
    std::unique_ptr<swf::player::Player> player;
    // What the scripts load; goes first, cancelling its downloads.
    std::unique_ptr<MovieLoads> loads;
  };

  State(FileSystem& f, Downloader* d) : files(f), downloader(d), systemFonts(f) {}

  Loaded& Require() {
    if (!loaded) throw Failure(kNoMovie);
    return *loaded;
  }
  void Changed() const {
    if (onChange) onChange();
  }
  // Shows a decoded movie from its first frame, playing; nothing here throws after the
  // player is made, so the previous movie stays until the new one is ready.
  // `name` is the movie's path or address, which its scripts' loads are relative to.
  void Show(std::shared_ptr<const swf::Movie> movie, const std::string& name) {
    swf::Timeline timeline(movie->FrameCount(), movie->FrameRate());
    auto scripts = swf::avm1::RunsActionScript1(*movie) ? std::make_unique<MovieScripts>(movie->Version(), scriptClock) : nullptr;
    // Ready before the first frame's scripts run, which may load already.
    std::unique_ptr<MovieLoads> loads;
    if (scripts) {
      scripts->SetWhileRunning(whileBusy);
      loads = std::make_unique<MovieLoads>(files, downloader, scripts->Machine(), [name] { return name; });
      scripts->SetLoader([at = loads.get()](const swf::avm1::LoadRequest& request) { return at->Start(request); });
    }
    auto player = std::make_unique<swf::player::Player>(movie, &systemFonts, scripts ? &scripts->Machine() : nullptr);
    // With scripts the clock runs on for the clips; the main timeline's own end
    // follows the loop option.
    timeline.SetLoop(loop || scripts);
    player->SetMainTimelineLoops(loop);
    timeline.Play();  // a movie starts playing as soon as it is loaded
    view.SetStage(ToTwipRect(movie->Stage()));
    audio.Load(movie, *player, loop, scripts != nullptr);
    loaded.emplace(Loaded{std::move(movie), timeline, std::move(scripts), std::move(player), std::move(loads)});
    MatchArrivedFrames();
  }
  // While a movie arrives the clock knows one frame more than it holds at least, so
  // it waits at the last frame there instead of taking it for the end.
  void MatchArrivedFrames() {
    const swf::Movie& movie = *loaded->movie;
    swf::Timeline& timeline = loaded->timeline;
    if (movie.Complete()) {
      timeline.SetFrameCount(movie.FrameCount());
      return;
    }
    timeline.SetFrameCount(std::max(movie.ExpectedFrameCount(), movie.FrameCount() + 1));
    timeline.SetFramesLoaded(movie.FrameCount());
  }
  void StartDownload(const std::string& address) {
    network.reset();
    const bool hadMovie = loaded.has_value();
    audio.Unload();
    loaded.reset();
    movieText = address;
    NetworkMovie::Handlers handlers;
    handlers.started = [this](std::shared_ptr<swf::Movie> movie) {
      Show(std::move(movie), movieText);
      Changed();
    };
    handlers.grew = [this] {
      if (loaded) MatchArrivedFrames();
    };
    handlers.failed = [this](const std::string& message) {
      // What arrived is the whole movie now.
      if (loaded) loaded->timeline.SetFrameCount(loaded->movie->FrameCount());
      if (onLoadFailure) onLoadFailure(message);
    };
    network = std::make_unique<NetworkMovie>(*downloader, address, std::move(handlers));
    if (hadMovie) Changed();
  }

  FileSystem& files;
  Downloader* downloader;
  SystemFonts systemFonts;  // outlives every player, which draws device text with it
  MovieAudio audio;         // outlives every player, which sends its sound there
  std::string movieText;
  std::optional<Loaded> loaded;
  bool loop = true;
  std::int32_t backgroundColor = kOwnColour;
  Quality quality = Quality::kHigh;
  StageView view;
  std::function<void()> onChange;
  std::function<void(const std::string&)> onLoadFailure;
  // Last, so a download is cancelled before anything it reports to goes.
  std::unique_ptr<NetworkMovie> network;
  MovieEvents* events = nullptr;
  std::function<void()> whileBusy;
  std::function<double()> scriptClock;

  // Hands what the scripts asked for to the program, once they have finished, and lets
  // the main timeline's stream follow where they left the timeline.
  void DeliverScriptRequests() {
    if (loaded && loaded->scripts) loaded->scripts->Deliver(events, movieText);
    FollowScripts();
  }
  void FollowScripts() {
    if (!loaded || !loaded->scripts) return;
    const bool playing = loaded->timeline.IsPlaying() && loaded->player->MainTimelinePlaying();
    audio.FollowMainTimeline(std::max(loaded->player->CurrentFrame(), 0), playing, loaded->movie->FrameCount() - 1);
  }
  // A client-area point in stage twips.
  bool ToStage(int x, int y, double& sx, double& sy) const {
    const StageTransform t = view.Transform();
    if (t.scaleX == 0 || t.scaleY == 0) return false;
    sx = (x + 0.5 - t.offsetX) / t.scaleX;
    sy = (y + 0.5 - t.offsetY) / t.scaleY;
    return true;
  }
};

EngineMovieControl::EngineMovieControl(FileSystem& files, Downloader* downloader)
    : state_(std::make_unique<State>(files, downloader)) {}

EngineMovieControl::~EngineMovieControl() = default;

void EngineMovieControl::SetMovie(const std::string& movie) {
  State& s = *state_;
  if (IsBlank(movie)) {
    const bool hadMovie = s.loaded.has_value();
    s.audio.Unload();
    s.network.reset();
    s.loaded.reset();
    s.movieText = movie;
    if (hadMovie) s.Changed();
    return;
  }
  if (s.downloader && NetworkMovie::IsWebAddress(movie)) {
    s.StartDownload(movie);
    return;
  }
  if (IsNetworkAddress(movie)) throw Failure(kAddressNotSupported);

  // A file listed larger than any movie taken is refused without reading it; a path
  // the listing cannot take is left for the read to report.
  std::uint64_t listedSize = 0;
  try {
    const std::vector<DirectoryEntry> listed = s.files.List(movie);
    if (listed.size() == 1) listedSize = listed.front().size;
  } catch (const Failure&) {
  }
  if (listedSize > swf::kMaxMovieBytes) throw Failure(swf::movie_failure::kTooLarge);
  // One byte more than the limit tells an oversized file from one exactly at it.
  LoadMovieData(s.files.ReadFile(movie, swf::kMaxMovieBytes + 1), movie);
}

void EngineMovieControl::LoadMovieData(std::span<const std::uint8_t> bytes, const std::string& movie) {
  State& s = *state_;
  if (bytes.size() > swf::kMaxMovieBytes) throw Failure(swf::movie_failure::kTooLarge);
  s.Show(std::make_shared<const swf::Movie>(swf::LoadMovie(bytes, s.whileBusy)), movie);
  s.network.reset();  // the movie arriving is replaced
  s.movieText = movie;
  s.DeliverScriptRequests();
  s.Changed();
}

std::string EngineMovieControl::Movie() { return state_->movieText; }

void EngineMovieControl::StageSize(int& width, int& height) const {
  if (!state_->loaded) return;
  const swf::StageRect& stage = state_->loaded->movie->Stage();
  width = static_cast<int>(std::clamp<std::int64_t>(stage.Width() / 20, 1, 8192));
  height = static_cast<int>(std::clamp<std::int64_t>(stage.Height() / 20, 1, 8192));
}

void EngineMovieControl::SetLoop(bool loop) {
  state_->loop = loop;
  state_->audio.SetLoop(loop);
  if (!state_->loaded) return;
  state_->loaded->timeline.SetLoop(loop || state_->loaded->scripts);
  state_->loaded->player->SetMainTimelineLoops(loop);
}

void EngineMovieControl::SetZoomRect(int left, int top, int right, int bottom) {
  State& s = *state_;
  if (!s.loaded) return;
  const TwipRect before = s.view.VisibleArea();
  s.view.SetZoomRect({static_cast<double>(left), static_cast<double>(top), static_cast<double>(right),
                      static_cast<double>(bottom)});
  if (!(s.view.VisibleArea() == before)) s.Changed();
}

void EngineMovieControl::Play() {
  if (!state_->loaded) return;
  swf::Timeline& timeline = state_->loaded->timeline;
  if (!timeline.IsPlaying()) state_->audio.Play(timeline.CurrentFrame(), state_->loop);
  timeline.Play();
  // A movie whose script stopped its main timeline (at a play button, say) goes on.
  if (state_->loaded->scripts) state_->loaded->player->PlayMainTimeline();
}

void EngineMovieControl::Stop() {
  if (!state_->loaded) return;
  state_->loaded->timeline.Stop();
  state_->audio.Stop();
}

void EngineMovieControl::Zoom(int percent) {
  State& s = *state_;
  if (percent < 0) throw Failure(kInvalidArgument);
  if (!s.loaded) return;
  const TwipRect before = s.view.VisibleArea();
  s.view.Zoom(percent / 100.0);  // 0 shows the whole stage
  if (!(s.view.VisibleArea() == before)) s.Changed();
}

void EngineMovieControl::SetScaleMode(int mode) {
  if (mode < 0 || mode > 2) throw Failure(kInvalidArgument);
  const auto scaleMode = static_cast<ScaleMode>(mode);
  if (scaleMode == state_->view.Mode()) return;
  state_->view.SetScaleMode(scaleMode);
  if (state_->loaded) state_->Changed();
}

void EngineMovieControl::SetBackgroundColor(std::int32_t color) {
  if (color != kOwnColour && (color < 0 || color > 0xFFFFFF)) throw Failure(kInvalidArgument);
  if (color == state_->backgroundColor) return;
  state_->backgroundColor = color;
  if (state_->loaded) state_->Changed();
}

int EngineMovieControl::TotalFrames() { return state_->Require().timeline.FrameCount(); }

bool EngineMovieControl::Playing() { return IsPlaying(); }

void EngineMovieControl::GotoFrame(int frame) {
  State::Loaded& loaded = state_->Require();
  // With scripts the main timeline may stand elsewhere than the clock's frame.
  const int before = loaded.scripts ? loaded.player->CurrentFrame() : loaded.timeline.CurrentFrame();
  loaded.timeline.GotoFrame(frame);  // which stops the movie, and so its sound
  state_->audio.Stop();
  if (loaded.timeline.CurrentFrame() == before) return;
  loaded.player->GotoFrame(loaded.timeline.CurrentFrame());
  state_->Changed();
}

int EngineMovieControl::CurrentFrame() {
  const State::Loaded& loaded = state_->Require();
  return loaded.scripts ? std::max(loaded.player->CurrentFrame(), 0) : loaded.timeline.CurrentFrame();
}

// With scripts the main timeline is the player's: a script may stop it or send it
// elsewhere while the clock goes on for the clips inside it.
bool EngineMovieControl::IsPlaying() {
  const State& s = *state_;
  return ClockRunning() && (!s.loaded->scripts || s.loaded->player->MainTimelinePlaying());
}

bool EngineMovieControl::ClockRunning() const { return state_->loaded && state_->loaded->timeline.IsPlaying(); }

void EngineMovieControl::SetQuality(const std::string& quality) {
  static const std::pair<const char*, Quality> kNames[] = {
      {"high", Quality::kHigh},       {"autohigh", Quality::kAutoHigh}, {"medium", Quality::kMedium},
      {"autolow", Quality::kAutoLow}, {"low", Quality::kLow},
  };
  const std::string name = AsciiLower(quality);
  for (const auto& [text, value] : kNames) {
    if (name == text) {
      const bool redraw = RenderQuality(state_->quality) != RenderQuality(value);
      state_->quality = value;
      // A playing movie shows the new quality with its next frame; a stopped one is
      // drawn again now.
      if (redraw && state_->loaded && !state_->loaded->timeline.IsPlaying()) state_->Changed();
      return;
    }
  }
  throw Failure(kInvalidArgument);
}

bool EngineMovieControl::HasMovie() const { return state_->loaded.has_value(); }

void EngineMovieControl::SetViewportSize(int width, int height) {
  StageView& view = state_->view;
  if (std::max(width, 0) == view.ViewportWidth() && std::max(height, 0) == view.ViewportHeight()) return;
  view.SetViewport(width, height);
  state_->Changed();
}

bool EngineMovieControl::AdvanceClock(double seconds) {
  if (!state_->loaded) return false;
  State::Loaded& loaded = *state_->loaded;
  const int before = loaded.timeline.CurrentFrame();
  // While the main timeline streams sound, the sound's clock says when frames are due.
  const std::optional<long> paced = state_->audio.PacedSteps(seconds, loaded.timeline.CatchUpFrames());
  if (paced ? !loaded.timeline.StepFrames(*paced) : !loaded.timeline.Advance(seconds)) return false;
  // Frames the clock skipped after a late tick are still played, so sprites and the
  // display list stay right; only the last one is drawn.
  const int count = loaded.timeline.FrameCount();
  const int steps = ((loaded.timeline.CurrentFrame() - before) % count + count) % count;
  for (int i = 0; i < steps; ++i) {
    if (loaded.scripts) loaded.scripts->AddMilliseconds(loaded.timeline.FrameInterval() * 1000.0);
    loaded.player->NextFrame();
    state_->FollowScripts();
  }
  state_->DeliverScriptRequests();
  state_->Changed();
  return true;
}

double EngineMovieControl::FrameInterval() const {
  return state_->loaded ? state_->loaded->timeline.FrameInterval() : 0.0;
}

double EngineMovieControl::TickInterval() const {
  const double interval = FrameInterval();
  return state_->audio.Paced() ? interval / 2 : interval;
}

void EngineMovieControl::Render(swf::Framebuffer& target) const {
  const State& s = *state_;
  target.Resize(s.view.ViewportWidth(), s.view.ViewportHeight());
  std::fill(target.pixels.begin(), target.pixels.end(), kEmptyArea);
  if (!s.loaded) return;

  const std::uint32_t rgb = s.backgroundColor == kOwnColour ? s.loaded->movie->BackgroundColor()
                                                            : static_cast<std::uint32_t>(s.backgroundColor);
  const std::uint32_t argb = 0xFF000000u | (rgb & 0xFFFFFFu);
  const PixelSpan stage = CoveredPixels(s.view.Map(s.view.Stage()), target.width, target.height);
  if (stage.Empty()) return;
  for (int y = stage.top; y < stage.bottom; ++y) {
    const auto row = target.pixels.begin() + static_cast<std::ptrdiff_t>(y) * target.width;
    std::fill(row + stage.left, row + stage.right, argb);
  }

  const StageTransform t = s.view.Transform();
  s.loaded->player->Draw(target, swf::Matrix{t.scaleX, 0, 0, t.scaleY, t.offsetX, t.offsetY}, RenderQuality(s.quality));

  // What lies outside the stage is not shown: the bars stay empty.
  for (int y = 0; y < target.height; ++y) {
    const auto row = target.pixels.begin() + static_cast<std::ptrdiff_t>(y) * target.width;
    if (y < stage.top || y >= stage.bottom) {
      std::fill(row, row + target.width, kEmptyArea);
      continue;
    }
    std::fill(row, row + stage.left, kEmptyArea);
    std::fill(row + stage.right, row + target.width, kEmptyArea);
  }
}

void EngineMovieControl::SetOnChange(std::function<void()> onChange) { state_->onChange = std::move(onChange); }

void EngineMovieControl::SetSoundOutput(SoundOutput* output, Mp3Codec* codec) { state_->audio.Attach(output, codec); }

void EngineMovieControl::SetSyncTrace(std::function<void(double, std::int64_t, std::int64_t)> trace) {
  state_->audio.SetSyncTrace(std::move(trace));
}

void EngineMovieControl::SetOnLoadFailure(std::function<void(const std::string& message)> onLoadFailure) {
  state_->onLoadFailure = std::move(onLoadFailure);
}

void EngineMovieControl::PointerMove(int x, int y) {
  State& s = *state_;
  double sx = 0, sy = 0;
  if (!s.loaded || !s.ToStage(x, y, sx, sy)) return;
  s.loaded->player->PointerMove(sx, sy);
  s.DeliverScriptRequests();
  s.Changed();
}

void EngineMovieControl::PointerButton(bool down, int x, int y) {
  State& s = *state_;
  double sx = 0, sy = 0;
  if (!s.loaded || !s.ToStage(x, y, sx, sy)) return;
  s.loaded->player->PointerButton(down, sx, sy);
  s.DeliverScriptRequests();
  s.Changed();
}

void EngineMovieControl::KeyDown(int virtualKey, int character) {
  State& s = *state_;
  if (!s.loaded) return;
  s.loaded->player->KeyDown(virtualKey, character);
  s.DeliverScriptRequests();
  s.Changed();
}

void EngineMovieControl::KeyUp(int virtualKey) {
  State& s = *state_;
  if (!s.loaded) return;
  s.loaded->player->KeyUp(virtualKey);
  s.DeliverScriptRequests();
  s.Changed();
}

MovieCursor EngineMovieControl::CursorAt(int x, int y) const {
  const State& s = *state_;
  double sx = 0, sy = 0;
  if (!s.loaded || !s.ToStage(x, y, sx, sy)) return MovieCursor::Arrow;
  switch (s.loaded->player->CursorAt(sx, sy)) {
    case swf::player::ScriptHooks::Cursor::kHand: return MovieCursor::Hand;
    case swf::player::ScriptHooks::Cursor::kIBeam: return MovieCursor::IBeam;
    default: return MovieCursor::Arrow;
  }
}

void EngineMovieControl::SetMovieEvents(MovieEvents* events) { state_->events = events; }

void EngineMovieControl::SetWhileBusy(std::function<void()> whileBusy) {
  state_->whileBusy = std::move(whileBusy);
  if (state_->loaded && state_->loaded->scripts) state_->loaded->scripts->SetWhileRunning(state_->whileBusy);
}

void EngineMovieControl::SetScriptClock(std::function<double()> wallSeconds) {
  state_->scriptClock = std::move(wallSeconds);
}

}  // namespace tavelin
