#pragma once
// A movie control that records every call in order and keeps just enough state
// (movie, frames, playing) for callers to read back what they set.

#include <map>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/movie_control.h"

namespace tavelin::testing {

class FakeMovieControl : public MovieControl {
 public:
  // Set by the test.
  int totalFrames = 0;
  // Members named here ("Play", "TotalFrames", ...) throw this description.
  std::map<std::string, std::string> failures;

  // Recorded, such as "SetMovie(C:\a.swf)", "Play()", "SetBackgroundColor(16711680)".
  std::vector<std::string> calls;

  std::string movie;
  bool loop = false;
  bool playing = false;
  int currentFrame = 0;
  int scaleMode = 0;
  std::int32_t backgroundColor = -1;
  std::string quality;

  void SetMovie(const std::string& m) override {
    Call("SetMovie", m);
    movie = m;
    currentFrame = 0;
    playing = !m.empty();
  }
  std::string Movie() override {
    Call("Movie", "", false);
    return movie;
  }
  void SetLoop(bool l) override {
    Call("SetLoop", l ? "true" : "false");
    loop = l;
  }
  void SetZoomRect(int left, int top, int right, int bottom) override {
    Call("SetZoomRect", std::to_string(left) + "," + std::to_string(top) + "," + std::to_string(right) + "," +
                            std::to_string(bottom));
  }
  void Play() override {
    Call("Play", "");
    playing = true;
  }
  void Stop() override {
    Call("Stop", "");
    playing = false;
  }
  void Zoom(int percent) override { Call("Zoom", std::to_string(percent)); }
  void SetScaleMode(int mode) override {
    Call("SetScaleMode", std::to_string(mode));
    scaleMode = mode;
  }
  void SetBackgroundColor(std::int32_t color) override {
    Call("SetBackgroundColor", std::to_string(color));
    backgroundColor = color;
  }
  int TotalFrames() override {
    Call("TotalFrames", "", false);
    return totalFrames;
  }
  bool Playing() override {
    Call("Playing", "", false);
    return playing;
  }
  void GotoFrame(int frame) override {
    Call("GotoFrame", std::to_string(frame));
    currentFrame = frame;
    playing = false;
  }
  int CurrentFrame() override {
    Call("CurrentFrame", "", false);
    return currentFrame;
  }
  bool IsPlaying() override {
    Call("IsPlaying", "", false);
    return playing;
  }
  void SetQuality(const std::string& q) override {
    Call("SetQuality", q);
    quality = q;
  }

 private:
  // Reads are not recorded, so call lists show what was changed.
  void Call(const std::string& member, const std::string& argument, bool record = true) {
    const auto it = failures.find(member);
    if (it != failures.end()) throw Failure(it->second);
    if (record) calls.push_back(member + "(" + argument + ")");
  }
};

}  // namespace tavelin::testing
