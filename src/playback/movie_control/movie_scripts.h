#pragma once
// The script side of one loaded movie for the movie control: the script machine, the
// movie's clock as scripts see it, and what the scripts asked of the program, kept
// until the control hands it to MovieEvents after the script has finished.

#include <functional>
#include <string>
#include <vector>

#include "playback/movie_control/movie_events.h"
#include "swf/avm1/machine.h"

namespace tavelin {

class MovieScripts final : public swf::avm1::ScriptHost {
 public:
  // `wallSeconds` reads a clock in seconds (steady time by default), for the limit on
  // a script's running time.
  explicit MovieScripts(int version, std::function<double()> wallSeconds = {});

  swf::avm1::Machine& Machine() { return machine_; }
  // Called now and then while a long script runs (may be empty); it must not run the
  // movie's scripts or touch its player.
  void SetWhileRunning(std::function<void()> whileRunning) { whileRunning_ = std::move(whileRunning); }
  void AddMilliseconds(double milliseconds) { milliseconds_ += milliseconds; }
  // Hands what the scripts asked for to `events` (may be null: it is dropped).
  void Deliver(MovieEvents* events, const std::string& movieName);

  // ScriptHost.
  void Trace(const std::string& line) override;
  void Command(const std::string& command, const std::string& argument) override;
  void OpenAddress(const std::string& url, const std::string& window) override;
  double MovieMilliseconds() override { return milliseconds_; }
  double WallSeconds() override;
  void ScriptStopped(const std::string& reason) override;
  void StillRunning() override {
    if (whileRunning_) whileRunning_();
  }
  bool Load(const swf::avm1::LoadRequest& request) override { return loader_ && loader_(request); }

  // Where the scripts' loads go (see MovieLoads); without one they fail.
  void SetLoader(std::function<bool(const swf::avm1::LoadRequest&)> loader) { loader_ = std::move(loader); }

 private:
  struct Request {
    enum class Kind { kQuit, kFullScreen, kOpen, kStopped } kind;
    std::string text;
    bool on = false;
  };

  swf::avm1::Machine machine_;
  std::function<double()> wallSeconds_;
  std::function<void()> whileRunning_;
  double milliseconds_ = 0;
  std::vector<Request> pending_;
  std::function<bool(const swf::avm1::LoadRequest&)> loader_;
};

// Whether getURL may hand `url` to the program: web and mail addresses only.
bool IsWebAddress(const std::string& url);

}  // namespace tavelin
