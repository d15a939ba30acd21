#pragma once
// What a playing movie's scripts ask of the program. The movie control calls these
// after a script has finished (never from inside one), so the program may close the
// window or replace the movie from here.

#include <string>

namespace tavelin {

// The pointer's look over the movie.
enum class MovieCursor { Arrow, Hand, IBeam };

class MovieEvents {
 public:
  virtual ~MovieEvents() = default;
  // fscommand("quit").
  virtual void Quit() = 0;
  // fscommand("fullscreen", "true" or "false").
  virtual void FullScreen(bool on) = 0;
  // getURL of an http, https or mailto address (other addresses never arrive here).
  virtual void OpenWebAddress(const std::string& url) = 0;
  // A script ran too long (or too deep) and was stopped; `movieName` is the movie's
  // file as the control was given it.
  virtual void ScriptStopped(const std::string& movieName) = 0;
};

}  // namespace tavelin
