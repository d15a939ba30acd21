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
  // The recording's length against the performance counter, every 50 ms, until the
  // cartoon has come round to its button again (or two minutes have passed): which
  // sample the device was playing when.
  struct Intake {
    double seconds, frames;
  };
  std::vector<Intake> intake;
  const auto counterSeconds = [] {
    LARGE_INTEGER now{}, frequency{};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart) / double(frequency.QuadPart);
  };
  const double startFrames = FileFrames(capture);
  const ULONGLONG startTicks = GetTickCount64();
  double lastFrames = startFrames;
  for (int tick = 0; tick < 2400; ++tick) {
    Sleep(50);
    lastFrames = FileFrames(capture);
    intake.push_back({counterSeconds(), lastFrames});
    if (tick % 20 == 19 && FrameShown(mainWindow) == CartoonLayout::kButtonFrame) break;
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
    std::printf("device intake: %.0f frames in %.1f s wall (%.0f a second)\n", lastFrames - startFrames, wall,
                (lastFrames - startFrames) / wall);
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
    // The picture against the sound actually played: at each tick, the recording's
    // sample then playing, counted in stream frames from the tone's first loud sample
    // (which begins the run's second frame: the first is the button's silent frame).
    double sumTrue = 0, worstTrue = -1e9, earliestTrue = 1e9, sumEarly = 0, sumLate = 0;
    int counted = 0, trueBeyondOne = 0, early = 0, late = 0;
    for (const TraceLine& l : lines) {
      const auto later = std::lower_bound(intake.begin(), intake.end(), l.seconds,
                                          [](const Intake& a, double s) { return a.seconds < s; });
      if (later == intake.begin() || later == intake.end()) continue;
      const Intake& a = *(later - 1);
      const Intake& b = *later;
      const double playing = a.frames + (b.frames - a.frames) * (l.seconds - a.seconds) / (b.seconds - a.seconds);
      const double position = 1.0 + (playing - double(first)) / 3456.0;
      if (position < 1.0 || position > kSoundFrames) continue;
      const double drift = position - double(l.after);
      sumTrue += drift;
      worstTrue = std::max(worstTrue, drift);
      earliestTrue = std::min(earliestTrue, drift);
      if (std::abs(drift) >= 1.0) ++trueBeyondOne;
      ++counted;
      // The first and the last ten seconds: does the gap between them grow?
      if (l.seconds < lines.front().seconds + 12) sumEarly += drift, ++early;
      if (l.seconds > lines.back().seconds - 10) sumLate += drift, ++late;
    }
    if (counted > 0) {
      std::printf("sound recorded ahead of the picture after each tick: mean %.3f, max %.3f, min %.3f frames over %d ticks; %d off by 1 frame or more\n",
                  sumTrue / counted, worstTrue, earliestTrue, counted, trueBeyondOne);
      if (early > 0 && late > 0) {
        std::printf("the same in the first ten seconds of sound: mean %.3f; in the last ten: mean %.3f frames\n",
                    sumEarly / early, sumLate / late);
      }
    }
    std::printf("tone recorded: %.2f s from its first to its last loud sample (the cartoon holds %.2f s); %zu gaps, %.3f s in all\n",
                double(last - first) / 44100.0, kSoundFrames * 3456 / 44100.0, gaps, double(gapFrames) / 44100.0);
  }
  DeleteFileW(movie.c_str());
  return 0;
}
