#pragma once
// What a playing movie's scripts ask of the program: fscommand quit and fullscreen,
// web pages opened in the system's browser, and the word that a script was stopped.
// Each request runs from the message loop after the call that made it has returned,
// so unloading the movie never pulls it from under the control that reported it.

#include "playback/movie_control/movie_events.h"
#include "shell/cwin.h"

namespace tavelin::win32 {

class MovieRequests final : public MovieEvents {
 public:
  explicit MovieRequests(CWin& cwin) : cwin_(cwin) {}
  ~MovieRequests() override;

  void Quit() override;
  void FullScreen(bool on) override;
  void OpenWebAddress(const std::string& url) override;
  void ScriptStopped(const std::string& movieName) override;

 private:
  CWin& cwin_;
  bool tellingStopped_ = false;
};

}  // namespace tavelin::win32
