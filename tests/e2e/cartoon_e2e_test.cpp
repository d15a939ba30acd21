// A cartoon with a preloader, a play button and streamed MP3 sound, played by the real
// Tavelin.exe from its command line: the pointer over the button shows the hand, a click
// starts the cartoon, and the sound device receives silence before the click, the
// button's click sound, then the tone.
#include "win32/windows_api.h"

#include <mmsystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "program_under_test.h"
#include "program_view.h"
#include "support/cartoon_movie.h"
#include "support/loop_tone_mp3.h"
#include "win32/main_window.h"
#include "win32/movie_window.h"
#include "win32/output_window.h"

namespace tavelin::e2e {
namespace {

using testing::CartoonLayout;

COLORREF AsColorRef(std::uint32_t rgb) { return RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// The longest run of stereo frames from `from` whose both sides equal `level`, and where
// it ends.
std::size_t LongestRun(const std::vector<std::int16_t>& samples, std::size_t from, std::int16_t level, std::size_t& end) {
  std::size_t longest = 0, run = 0;
  for (std::size_t frame = from; 2 * frame + 1 < samples.size(); ++frame) {
    run = samples[2 * frame] == level && samples[2 * frame + 1] == level ? run + 1 : 0;
    if (run > longest) {
      longest = run;
      end = frame + 1;
    }
  }
  return longest;
}

TEST(CartoonFromTheCommandLine, TheButtonShowsTheHandAndAClickPlaysTheStreamedTone) {
  const char* capture = std::getenv("TAVELIN_SOUND_CAPTURE");
  const bool hearing = capture && *capture && waveOutGetNumDevs() > 0;
  const std::wstring path =
      WriteTemporaryFile(L"tavelin-cartoon-" + std::to_wstring(GetCurrentProcessId()) + L".swf", testing::MakeCartoon(47));

  if (hearing) RemoveUnixFile(capture);
  ProgramUnderTest program;
  ASSERT_TRUE(program.Start(path));
  const HWND mainWindow = program.WaitForWindow(win32::kMainWindowClass, 30000);
  const HWND output = program.WaitForWindow(win32::kOutputWindowClass, 30000);
  ASSERT_NE(mainWindow, nullptr);
  ASSERT_NE(output, nullptr);
  const HWND movie = FindWindowExW(output, nullptr, win32::kMovieWindowClass, nullptr);
  ASSERT_NE(movie, nullptr);

  // The preloader lets the movie on to the button's frame, where it stops.
  ASSERT_TRUE(WaitUntil([&] { return FrameShown(mainWindow) == CartoonLayout::kButtonFrame; }, 30000))
      << "frame shown: " << FrameShown(mainWindow);
  POINT button{CartoonLayout::kButtonLeft + CartoonLayout::kButtonSize / 2, CartoonLayout::kButtonTop + CartoonLayout::kButtonSize / 2};
  ClientToScreen(movie, &button);  // the window is sized to the stage: one pixel a stage pixel
  EXPECT_TRUE(WaitUntil([&] { return PixelAt(button) == AsColorRef(CartoonLayout::kUpColour); }, 5000));

  // The pointer over the button shows the hand; elsewhere on the stage, the arrow.
  SetForegroundWindow(output);
  POINT background{20, 20};
  ClientToScreen(movie, &background);
  MovePointer(background);
  ASSERT_TRUE(WaitUntil([&] { return CursorShown() != nullptr; }, 5000));
  const HCURSOR arrow = CursorShown();
  MovePointer(button);
  EXPECT_TRUE(WaitUntil([&] { return CursorShown() != arrow && CursorShown() != nullptr; }, 5000));
  const HCURSOR hand = CursorShown();
  EXPECT_TRUE(WaitUntil([&] { return PixelAt(button) == AsColorRef(CartoonLayout::kOverColour); }, 5000));
  MovePointer(background);
  EXPECT_TRUE(WaitUntil([&] { return CursorShown() == arrow; }, 5000));
  MovePointer(button);
  EXPECT_TRUE(WaitUntil([&] { return CursorShown() == hand; }, 5000));

  // Stopped at the button, the movie is silent (given the time a stream would take to
  // reach the device).
  Sleep(1500);
  EXPECT_EQ(FrameShown(mainWindow), CartoonLayout::kButtonFrame);
  const std::size_t before = hearing ? ReadSamples(capture).size() : 0;

  Click();
  EXPECT_TRUE(WaitUntil([&] { return FrameShown(mainWindow) > CartoonLayout::kFirstSoundFrame + 5; }, 15000))
      << "frame shown: " << FrameShown(mainWindow);
  EXPECT_NE(PixelAt(button), AsColorRef(CartoonLayout::kUpColour));

  if (hearing) {
    // Two seconds of the cartoon reach the device.
    std::vector<std::int16_t> samples;
    EXPECT_TRUE(WaitUntil([&] {
      samples = ReadSamples(capture);
      return samples.size() > before + 2 * 44100 * 2 * 2;
    }, 15000));
    ASSERT_GT(before, 44100u);
    const auto loudest = std::max_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(before),
                                          [](std::int16_t a, std::int16_t b) { return std::abs(a) < std::abs(b); });
    EXPECT_LT(std::abs(*loudest), 100) << "sound before the click";

    // The press sound, then the tone at its pitch.
    std::size_t clickEnd = 0;
    EXPECT_GT(LongestRun(samples, before / 2, CartoonLayout::kClickLevel, clickEnd), CartoonLayout::kClickFrames * 3u / 4);
    std::size_t start = std::max(clickEnd, before / 2);
    while (2 * start + 1 < samples.size() && std::abs(samples[2 * start]) < 8000) ++start;
    start += 2000;  // past the stream's first frames
    constexpr std::size_t kWindow = 44100 / 2;
    ASSERT_LT(2 * (start + kWindow), samples.size());
    int crossings = 0;
    std::int16_t peak = 0;
    for (std::size_t frame = start + 1; frame < start + kWindow; ++frame) {
      crossings += (samples[2 * frame - 2] < 0) != (samples[2 * frame] < 0);
      peak = std::max(peak, samples[2 * frame]);
      EXPECT_EQ(samples[2 * frame], samples[2 * frame + 1]) << "mono on both sides";
      if (samples[2 * frame] != samples[2 * frame + 1]) break;
    }
    EXPECT_NEAR(crossings / 2.0 / 0.5, testing::kLoopToneHz, 6.0);
    EXPECT_NEAR(peak, 16000, 2500);
  }

  PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(15000), 0);
  DeleteFileW(path.c_str());
}

}  // namespace
}  // namespace tavelin::e2e
