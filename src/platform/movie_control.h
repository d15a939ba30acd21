#pragma once
// The movie control inside the output window, through which every part of the
// program drives the movie. Every member throws Failure when the control fails.

#include <cstdint>
#include <string>

namespace tavelin {

class MovieControl {
 public:
  virtual ~MovieControl() = default;

  // Writing a path or network address loads that movie; the empty text unloads it.
  // Reading gives the text last written.
  virtual void SetMovie(const std::string& movie) = 0;
  virtual std::string Movie() = 0;

  virtual void SetLoop(bool loop) = 0;
  // Shows that rectangle of the stage (twips); all four zero shows the whole stage.
  virtual void SetZoomRect(int left, int top, int right, int bottom) = 0;
  virtual void Play() = 0;
  virtual void Stop() = 0;
  // 50 enlarges the view, 150 shrinks it, relative to the current view.
  virtual void Zoom(int percent) = 0;
  // 0 show all, 1 no border, 2 exact fit.
  virtual void SetScaleMode(int mode) = 0;
  // 0xRRGGBB, or -1 for the movie's own colour.
  virtual void SetBackgroundColor(std::int32_t color) = 0;
  virtual int TotalFrames() = 0;
  virtual bool Playing() = 0;
  // Shows a frame (0-based); playback stays stopped until Play.
  virtual void GotoFrame(int frame) = 0;
  virtual int CurrentFrame() = 0;
  virtual bool IsPlaying() = 0;
  // "High", "Autohigh", "Medium", "Autolow" or "Low", in any letter case.
  virtual void SetQuality(const std::string& quality) = 0;
};

}  // namespace tavelin
