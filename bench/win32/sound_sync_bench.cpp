// How closely Tavelin.exe keeps the picture with streamed MP3 sound under Wine: plays
// a cartoon of about 64 s (a play button, then 820 frames at 12.75 fps each streaming
// three MP3 frames of a tone) with the program's sync trace on, clicks the button and
// lets it play to its end. From the trace it reports, per tick, how far the sound heard
// was ahead of the picture before and after the tick, in frames; from the sound device's
// recording (TAVELIN_SOUND_CAPTURE), how many frames the device played per second of
// wall time and the gaps in the tone.
//   bench/win32/sound_sync.sh
#include "win32/windows_api.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../../tests/e2e/program_under_test.h"
#include "../../tests/e2e/program_view.h"
#include "support/cartoon_movie.h"
#include "win32/main_window.h"
#include "win32/movie_window.h"
#include "win32/output_window.h"

namespace {

using namespace tavelin::e2e;
using tavelin::testing::CartoonLayout;

struct TraceLine {
  double seconds = 0, heard = 0;
  long long before = 0, after = 0;
};

double FileFrames(const char* unixPath) {
  if (!unixPath) return 0;
  std::string path = std::string("Z:") + unixPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return double((std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow) / 4;
}

}  // namespace

int main() {
  constexpr int kSoundFrames = 820;
  const std::wstring movie = WriteTemporaryFile(L"tavelin-sync-bench.swf", tavelin::testing::MakeCartoon(kSoundFrames));
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring tracePath = std::wstring(temp) + L"tavelin-sync-trace.txt";
  DeleteFileW(tracePath.c_str());
  SetEnvironmentVariableW(L"TAVELIN_SYNC_TRACE", tracePath.c_str());  // the program inherits it
  const char* capture = std::getenv("TAVELIN_SOUND_CAPTURE");

  ProgramUnderTest program;
  if (!program.Start(movie)) return 1;
  const HWND mainWindow = program.WaitForWindow(tavelin::win32::kMainWindowClass, 30000);
  const HWND output = program.WaitForWindow(tavelin::win32::kOutputWindowClass, 30000);
  const HWND view = output ? FindWindowExW(output, nullptr, tavelin::win32::kMovieWindowClass, nullptr) : nullptr;
  if (!mainWindow || !view || !WaitUntil([&] { return FrameShown(mainWindow) == CartoonLayout::kButtonFrame; }, 30000)) {
    std::printf("the cartoon did not reach its button\n");
    return 1;
  }
  POINT button{CartoonLayout::kButtonLeft + CartoonLayout::kButtonSize / 2, CartoonLayout::kButtonTop + CartoonLayout::kButtonSize / 2};
  ClientToScreen(view, &button);
  SetForegroundWindow(output);
  MovePointer(button);
  Sleep(300);
  Click();
  const ULONGLONG clicked = GetTickCount64();
  if (!WaitUntil([&] { return FrameShown(mainWindow) > CartoonLayout::kFirstSoundFrame; }, 15000)) {
    std::printf("the cartoon did not start\n");
    return 1;
  }
  // The device's intake against the wall clock, sampled once a second, until the
  // cartoon has come round to its button again (or two minutes have passed).
  const double startFrames = FileFrames(capture);
  const ULONGLONG startTicks = GetTickCount64();
  double lowest = 1e9, highest = 0, lastFrames = startFrames;
  for (int second = 0; second < 120; ++second) {
    Sleep(1000);
    const double frames = FileFrames(capture);
    lowest = std::min(lowest, frames - lastFrames);
    highest = std::max(highest, frames - lastFrames);
    lastFrames = frames;
    if (FrameShown(mainWindow) == CartoonLayout::kButtonFrame) break;
  }
  const double wall = double(GetTickCount64() - startTicks) / 1000.0;
  const int frameShown = FrameShown(mainWindow);
  PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  program.WaitForExit(15000);

  // The trace since the click's restart: the last run whose heard count started at 0.
  std::FILE* file = _wfopen(tracePath.c_str(), L"r");
  // The longest run of ticks without a restart of the stream (the cartoon itself).
  std::vector<TraceLine> lines, run;
  TraceLine line;
  while (file && std::fscanf(file, "%lf %lf %lld %lld", &line.seconds, &line.heard, &line.before, &line.after) == 4) {
    if (!run.empty() && line.heard + 0.5 < run.back().heard) run.clear();  // a restart
    run.push_back(line);
    if (run.size() > lines.size()) lines = run;
  }
  if (file) std::fclose(file);
  if (lines.size() < 100) {
    std::printf("too short a trace (%zu ticks)\n", lines.size());
    return 1;
  }
  double worstBefore = 0, worstAfter = -1e9, earliest = 1e9, sumAfter = 0;
  int beyondOne = 0, lateBeyondOne = 0, lateBeyondTwo = 0;
  for (const TraceLine& l : lines) {
    worstBefore = std::max(worstBefore, l.heard - double(l.before));
    worstAfter = std::max(worstAfter, l.heard - double(l.after));
    earliest = std::min(earliest, l.heard - double(l.after));
    sumAfter += l.heard - double(l.after);
    if (std::abs(l.heard - double(l.after)) >= 1.0) ++beyondOne;
    if (l.heard - double(l.before) >= 1.0) ++lateBeyondOne;
    if (l.heard - double(l.before) >= 2.0) ++lateBeyondTwo;
  }
  const double span = lines.back().seconds - lines.front().seconds;
  std::printf("ticks traced: %zu over %.1f s (from %.1f s after the click), picture at frame %d at the end\n", lines.size(),
              span, double(startTicks - clicked) / 1000.0, frameShown);
  std::printf("sound heard ahead of the picture after each tick: mean %.3f, max %.3f, min %.3f frames; %d ticks off by 1 frame or more\n",
              sumAfter / double(lines.size()), worstAfter, earliest, beyondOne);
  std::printf("sound heard ahead of the picture before each tick: max %.3f frames; %d ticks 1 frame or more, %d ticks 2 or more\n",
              worstBefore, lateBeyondOne, lateBeyondTwo);
  std::printf("stream frames heard: %.2f in %.1f s (%.3f per second; the movie's rate %.2f)\n", lines.back().heard, span,
              (lines.back().heard - lines.front().heard) / span, CartoonLayout::kFrameRate);
  if (capture) {
    std::printf("device intake: %.0f frames in %.1f s wall (%.0f a second; each second between %.0f and %.0f)\n",
                lastFrames - startFrames, wall, (lastFrames - startFrames) / wall, lowest, highest);
  }
  if (capture) {
    // Gaps in the tone: runs of at least 5 ms near silence between its first and last
    // loud samples (the tone crosses zero every 50 samples).
    const std::vector<std::int16_t> samples = ReadSamples(capture);
    std::size_t first = 0, last = 0;
    for (std::size_t frame = 0; 2 * frame < samples.size(); ++frame) {
      if (std::abs(samples[2 * frame]) > 8000) {
        if (!first) first = frame;
        last = frame;
      }
    }
    std::size_t gaps = 0, gapFrames = 0, run = 0;
    for (std::size_t frame = first; frame <= last && 2 * frame < samples.size(); ++frame) {
      run = std::abs(samples[2 * frame]) < 500 ? run + 1 : 0;
      if (run == 220) ++gaps;
      if (run >= 220) gapFrames += run == 220 ? 220 : 1;
    }
    std::printf("tone recorded: %.2f s from its first to its last loud sample (the cartoon holds %.2f s); %zu gaps, %.3f s in all\n",
                double(last - first) / 44100.0, kSoundFrames * 3456 / 44100.0, gaps, double(gapFrames) / 44100.0);
  }
  DeleteFileW(movie.c_str());
  return 0;
}
