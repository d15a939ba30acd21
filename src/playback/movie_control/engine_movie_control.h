#pragma once
// The movie control of the output window, backed by the program's own movie engine.
// The Windows window that shows it drives the clock with a timer, tells it the size
// of its client area, and copies Render's picture to the screen.

#include <functional>
#include <memory>
#include <span>
#include <string>

#include "platform/downloader.h"
#include "platform/file_system.h"
#include "platform/movie_control.h"
#include "platform/mp3_decoder.h"
#include "platform/sound_output.h"
#include "playback/movie_control/movie_events.h"
#include "swf/framebuffer.h"

namespace tavelin {

class EngineMovieControl : public MovieControl {
 public:
  // Without a downloader, web addresses are refused like other addresses.
  explicit EngineMovieControl(FileSystem& files, Downloader* downloader = nullptr);
  ~EngineMovieControl() override;

  // MovieControl.
  void SetMovie(const std::string& movie) override;
  std::string Movie() override;
  void SetLoop(bool loop) override;
  void SetZoomRect(int left, int top, int right, int bottom) override;
  void Play() override;
  void Stop() override;
  void Zoom(int percent) override;
  void SetScaleMode(int mode) override;
  void SetBackgroundColor(std::int32_t color) override;
  int TotalFrames() override;
  bool Playing() override;
  void GotoFrame(int frame) override;
  int CurrentFrame() override;
  bool IsPlaying() override;
  // Whether frames are due at all: with scripts the clips of a movie whose main
  // timeline stopped still play, so the clock runs on.
  bool ClockRunning() const;
  void SetQuality(const std::string& quality) override;

  // Loads a movie from memory (a projector's own movie); `movie` is what Movie reads
  // back. Throws Failure as SetMovie does.
  void LoadMovieData(std::span<const std::uint8_t> bytes, const std::string& movie);

  // The loaded movie's stage in whole pixels (at least 1, at most 8192 a side); the
  // arguments stay as they are when no movie is loaded.
  void StageSize(int& width, int& height) const;

  // For the window that shows the control.
  bool HasMovie() const;
  // The client area's size in pixels.
  void SetViewportSize(int width, int height);
  // Advances the movie's clock by the seconds elapsed since the last call; returns
  // true when the frame shown changed.
  bool AdvanceClock(double seconds);
  // Seconds between two frames of the loaded movie; 0 when no movie is loaded.
  double FrameInterval() const;
  // How often the clock should be advanced: every frame interval, or every half of one
  // while the sound paces the picture (which then changes frame within half a frame of
  // the sound, not a whole one).
  double TickInterval() const;
  // Draws what the control shows now into `target`, resized to the viewport.
  void Render(swf::Framebuffer& target) const;
  // Called after every change of what the control shows (movie, frame, colour, view).
  void SetOnChange(std::function<void()> onChange);
  // Called when a movie from a web address cannot be played (after SetMovie returned),
  // with the message for the user. The frames that arrived before stay, as the whole
  // movie.
  void SetOnLoadFailure(std::function<void(const std::string& message)> onLoadFailure);

  // Where the movie's sound is played and how MP3 sound is decoded; either may be null.
  // Both must outlive the control. While the main timeline streams sound, frames follow
  // the sound's clock instead of the wall clock.
  void SetSoundOutput(SoundOutput* output, Mp3Codec* codec);
  // For measuring how the picture keeps up with the sound: called on every tick paced
  // by the sound with the position heard and the picture's frames before and after.
  void SetSyncTrace(std::function<void(double heard, std::int64_t before, std::int64_t after)> trace);

  // Mouse and keys over the movie, in the client area's pixels; the movie's buttons
  // and scripts answer them. `virtualKey` is a Windows virtual-key code, `character`
  // the character typed (0 for none).
  void PointerMove(int x, int y);
  void PointerButton(bool down, int x, int y);
  void KeyDown(int virtualKey, int character);
  void KeyUp(int virtualKey);
  MovieCursor CursorAt(int x, int y) const;
  // Receives what the movie's scripts ask of the program (may be null); it must
  // outlive the control or be replaced first.
  void SetMovieEvents(MovieEvents* events);
  // Called now and then while a large movie is inflated or a movie's script runs long
  // (the next movie loaded gets it too): the window keeps answering the system with
  // it. It must not call the control.
  void SetWhileBusy(std::function<void()> whileBusy);
  // The clock, in seconds, against which the next movies' scripts are held to their
  // time limit; steady wall-clock time when empty.
  void SetScriptClock(std::function<double()> wallSeconds);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace tavelin
