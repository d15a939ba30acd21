#pragma once
// Wires the movie window's rules, key preview and what movies' scripts ask for to the
// main window's logic, the same way for the program and for the tests that drive the
// real windows. Lives as long as the windows may still receive input.

#include "shell/cwin.h"
#include "shell/movie_window_hook.h"
#include "win32/key_preview.h"
#include "win32/main_window.h"
#include "win32/movie_requests.h"
#include "win32/output_window.h"

namespace tavelin::win32 {

class MovieInputWiring {
 public:
  MovieInputWiring(CWin& cwin, MainWindow& view, OutputWindow& putOut)
      : hook_(cwin, putOut.Surface()), requests_(cwin) {
    putOut.SetHook(&hook_, view.Handle());
    putOut.Engine().SetMovieEvents(&requests_);
    putOut.SetOnDrop([&cwin](const std::vector<std::string>& paths) { cwin.HandleDroppedFiles(paths); });
    InstallKeyPreview(view.Handle(), [&cwin](int keyCode, int shift) {
      if (cwin.KeyPreview) cwin.Form_KeyDown(keyCode, shift);
    });
  }
  MovieInputWiring(const MovieInputWiring&) = delete;
  MovieInputWiring& operator=(const MovieInputWiring&) = delete;
  ~MovieInputWiring() { RemoveKeyPreview(); }

 private:
  MovieWindowHook hook_;
  MovieRequests requests_;
};

}  // namespace tavelin::win32
