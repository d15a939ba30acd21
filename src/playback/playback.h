#pragma once
// Playback: loading a movie into the control (Play), the 200 ms status tick, the
// bottom strip's labels and its progress and volume bar, and the player menu. It
// owns the playing movie's state; the main window wires it to the windows.

#include <array>
#include <cstdint>
#include <string>

#include "options/player_options.h"
#include "platform/movie_control.h"
#include "platform/ports.h"
#include "platform/window_types.h"
#include "playback/output_window_host.h"
#include "playback/player_menus.h"
#include "playback/playback_window.h"

namespace tavelin {

class StepRecord;

class Playback {
 public:
  static constexpr int kLabelCount = 7;

  Playback(Ports ports, PlaybackWindow& window, OutputWindowHost& putOut, PlaybackHost& host, PlayerOptions& options,
           const ScreenScale& screen);

  // Loads and starts a movie file; reports everything itself.
  void Play(const std::string& file);
  // Gives the control the options read from the store: quality, scale mode, loop.
  void ApplyOptions(StepRecord& steps);

  // The 200 ms status tick.
  void Timer1_Timer();
  // The output window was resized: the status line is a full-screen feature.
  void PutOut_Resize(WindowState state);

  // The bottom strip and the thumb (positions x, y in twips inside the thumb).
  void DrawStatusStrip();
  void AdjustVolume(short steps);
  void Slider_MouseDown(int button, int shift, double x, double y);
  void Slider_MouseMove(int button, int shift, double x, double y);
  void Slider_MouseUp(int button, int shift, double x, double y);
  int ThumbLeft() const { return thumbLeft_; }
  const std::string& Label(int index) const { return labels_[static_cast<std::size_t>(index)]; }

  PlayerMenus& Menus() { return menus_; }

  // The toolbar's and the player menu's commands on the movie.
  // Button 1: resumes the movie, or with none loaded plays the file selected in
  // `navWindow` (the tree or list that last had the focus).
  void PlayButton(WindowId navWindow);
  // Button 2: pauses a playing movie, unloads a paused one.
  void StopButton();
  // Buttons 3 and 4: back or forward by the step size from the frame last shown.
  void StepButton(int button);
  // Button 8: pins both windows on top, or takes them out of the topmost band.
  void TogglePin();
  // The play button's "网络...": asks for an address and gives it to the control.
  void OpenNetworkAddress();
  void ToggleAutoPlay();
  void ToggleMovieLoop();
  void ToggleListLoop();
  // "设置背景色": the colour dialog; the colour lasts until the next Play.
  void ChooseBackgroundColor();
  // "设置步进(帧)": asks for the frames a step moves.
  void AskStepSize();
  // The grey line of the step menu: the movie's frame rate.
  std::string FrameRateCaption() const;

  // The control; null before construction reaches it and after the window unloads.
  MovieControl* Player = nullptr;
  std::int32_t FlashWidth = 0, FlashHeigh = 0;
  short FrameRate = 0;
  std::int32_t FrameTotal = 0, FrameNow = 0;
  bool TrackProgress = false;
  bool ShowStatus = false;
  short OnTop = 0;
  std::int32_t DragStartX = 0;

 private:
  void SetLabel(int index, const std::string& text);

  Ports ports_;
  PlaybackWindow& window_;
  OutputWindowHost& putOut_;
  PlaybackHost& host_;
  PlayerOptions& options_;
  const ScreenScale& screen_;
  PlayerMenus menus_;
  std::array<std::string, kLabelCount> labels_;
  int thumbLeft_ = 1;
};

}  // namespace tavelin
