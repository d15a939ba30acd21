// Figures of the real windows under work far past what real movies and libraries ask,
// one case a run so each has its own peak memory: the time the work took, the process's
// peak working set, and the longest wait for the main window's answer to a WM_NULL sent
// from another thread every 100 ms (and whether the system ever took it for hung).
//   scripts/wine.sh build/win/limits_bench.exe script     an endless script, real 15 s limit
//   scripts/wine.sh build/win/limits_bench.exe projector  a 2 GB projector extracted and played
//   scripts/wine.sh build/win/limits_bench.exe store [N]  start-up and close with a 1,000,000-line store (N categories)
//   scripts/wine.sh build/win/limits_bench.exe bomb       compressed movies that inflate to 4 GB
//   scripts/wine.sh build/win/limits_bench.exe frames     a movie of 65,535 frames and 100,000 shapes
// bench/win32/limits_bench.sh runs them all.
#include "win32/windows_api.h"

#include "stopwatch.h"

#include <psapi.h>
#include <winioctl.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "../../tests/win32/window_watch.h"
#include "shell/cwin.h"
#include "support/action_assembler.h"
#include "support/fake_dialogs.h"
#include "support/swf_writer.h"
#include "support/zlib_bomb.h"
#include "win32/code_page.h"
#include "win32/key_preview.h"
#include "win32/main_window.h"
#include "win32/movie_input_wiring.h"
#include "win32/output_window.h"
#include "win32/ports/desktop.h"
#include "win32/ports/file_system.h"
#include "win32/text.h"

namespace {

using namespace tavelin;
using bench::Seconds;
using Bytes = std::vector<std::uint8_t>;
using testing::SwfWriter;

std::string Folder() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::string folder = win32::Narrow(temp) + "tavelin-limits-bench\\";
  CreateDirectoryW(win32::Widen(folder).c_str(), nullptr);
  return folder;
}

void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream out(win32::Widen(path).c_str(), std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

double PeakMegabytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<double>(counters.PeakWorkingSetSize) / (1 << 20);
}

void PumpFor(double seconds) {
  const double until = Seconds() + seconds;
  MSG message;
  while (Seconds() < until) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) win32::DispatchWithPreview(message);
    Sleep(10);
  }
}

// The program's windows wired to its logic, as wWinMain wires them.
struct Program {
  Program() {
    view.Create();
    view.Attach(&cwin);
    input.emplace(cwin, view, putOut);
    putOut.SetOnLoaded([this](HWND) {
      view.SetStatusStripHome(putOut.Handle());
      putOut.SetStatusStrip(view.StatusStripHandle(), &cwin.Playback().ShowStatus,
                            [this](WindowState state) { cwin.Playback().PutOut_Resize(state); });
    });
  }
  ~Program() {
    if (view.Handle()) DestroyWindow(view.Handle());
  }
  void Start() {
    cwin.Load("");
    cwin.Show();
  }
  HINSTANCE instance = GetModuleHandleW(nullptr);
  win32::Win32FileSystem files;
  testing::FakeDialogs dialogs;
  win32::Win32Desktop desktop;
  win32::AnsiCodePage codePage;
  win32::OutputWindow putOut{instance, files};
  win32::MainWindow view{instance, false};
  CWin cwin{Ports{files, dialogs, desktop, codePage}, view, putOut};
  std::optional<win32::MovieInputWiring> input;
};

void Report(const char* what, double seconds, const win32::WindowWatch& watch) {
  std::printf("%s: %.2f s, peak working set %.0f MB, longest wait for the window %.0f ms over %d questions%s\n", what,
              seconds, PeakMegabytes(), watch.LongestWaitMs(), watch.Questions(),
              watch.EverHung() ? ", taken for hung" : "");
}

void Messages(const Program& program) {
  for (const auto& message : program.dialogs.messages) std::printf("  message: %s\n", message.text.c_str());
}

void EndlessScript() {
  SwfWriter movie;
  movie.Version(8).StagePixels(200, 100).FrameRate(12);
  testing::ActionAssembler forever;
  forever.Label("loop").Jump("loop");
  testing::AddDoAction(movie, forever);
  movie.ShowFrame();
  const std::string path = Folder() + "endless.swf";
  WriteAll(path, movie.Bytes());
  Program program;
  program.Start();
  win32::WindowWatch watch(program.view.Handle());
  const double start = Seconds();
  program.cwin.Playback().Play(path);
  while (program.dialogs.messages.empty() && Seconds() - start < 60) PumpFor(0.05);
  const double took = Seconds() - start;
  watch.Stop();
  Report("endless script in frame 1 until stopped and reported", took, watch);
  Messages(program);
}

void TwoGigabyteProjector() {
  // The offset marker puts the movie at 1,024: 2 GB are copied out, then played (and
  // refused as larger than any movie the engine takes).
  const std::string projector = Folder() + "big.exe";
  const std::uint64_t size = std::uint64_t{2} << 30;
  HANDLE file = CreateFileW(win32::Widen(projector).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD ignored = 0;
  DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
  Bytes stub(1024, 'x');
  stub[0x70] = 0;
  stub[0x71] = 0;
  stub[0x72] = 0x04;
  stub[0x73] = 0;
  const Bytes movie = SwfWriter().StagePixels(320, 240).FrameRate(12).ShowFrame().Bytes();
  stub.insert(stub.end(), movie.begin(), movie.end() - 2);  // a movie whose End never comes
  DWORD written = 0;
  WriteFile(file, stub.data(), static_cast<DWORD>(stub.size()), &written, nullptr);
  LARGE_INTEGER end{};
  end.QuadPart = static_cast<LONGLONG>(size);
  SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
  SetEndOfFile(file);
  CloseHandle(file);

  Program program;
  program.Start();
  win32::WindowWatch watch(program.view.Handle());
  const double start = Seconds();
  program.cwin.Projector().ExtractSwf(projector, Folder() + "big.swf", true);
  const double took = Seconds() - start;
  watch.Stop();
  Report("2 GB projector extracted, then played", took, watch);
  Messages(program);
  DeleteFileW(win32::Widen(projector).c_str());
  DeleteFileW(win32::Widen(Folder() + "big.swf").c_str());
}

void MillionLineStore(int categories) {
  // 499,998 categories (unless told), each its name and the empty line before it, after
  // the two header lines and the search results' node: 1,000,000 lines that survive a
  // restart without a single file behind them.
  Program program;
  const std::string store = program.files.ProgramFolder() + "\\" + program.files.ExecutableBaseName() + ".ini";
  std::string text = "\r\n60 0 0 False False False\r\n\r\n" + win32::Narrow(L"\u641c\u7d22\u7ed3\u679c");
  for (int c = 0; c < categories; ++c) text += "\r\n\r\nC" + std::to_string(c);
  text += "\r\n\r\n";
  std::string ansi;
  program.codePage.FromUtf8(text, ansi);
  const Bytes stored(ansi.begin(), ansi.end());
  WriteAll(store, stored);

  win32::WindowWatch watch(program.view.Handle());
  double start = Seconds();
  program.Start();
  const double loaded = Seconds() - start;
  char what[64];
  std::snprintf(what, sizeof what, "start-up with a store of %d lines", 2 * categories + 4);
  Report(what, loaded, watch);
  start = Seconds();
  program.cwin.Unload();
  const double closed = Seconds() - start;
  watch.Stop();
  const bool unchanged = program.files.ReadFile(store, 256 << 20) == stored;
  std::printf("close, writing it back: %.2f s, %s\n", closed, unchanged ? "unchanged" : "CHANGED");
  DeleteFileW(win32::Widen(store).c_str());
}

void Bombs() {
  Program program;
  program.Start();
  struct Case {
    const char* what;
    Bytes file;
  };
  const Bytes movie = SwfWriter().StagePixels(550, 400).FrameRate(12).ShowFrame().Bytes();
  const Bytes header(movie.begin() + 8, movie.end() - 4);
  std::vector<Case> cases;
  cases.push_back({"4 GB declared", testing::ZlibBombMovie(0xFFFFFFF0u, header, 16)});
  cases.push_back({"4 GB of zeros declared as 255 MB", testing::ZlibBombMovie(255u << 20, {}, 4096)});
  cases.push_back({"a movie header and 4 GB of zeros declared as 255 MB", testing::ZlibBombMovie(255u << 20, header, 4096)});
  win32::WindowWatch watch(program.view.Handle());
  for (const Case& c : cases) {
    const std::string path = Folder() + "bomb.swf";
    WriteAll(path, c.file);
    program.dialogs.messages.clear();
    const double start = Seconds();
    program.cwin.Playback().Play(path);
    std::printf("%s (%.1f MB file): %.2f s, peak working set so far %.0f MB, %s\n", c.what, c.file.size() / 1048576.0,
                Seconds() - start, PeakMegabytes(),
                program.dialogs.messages.empty() ? "played" : program.dialogs.messages.back().text.c_str());
    DeleteFileW(win32::Widen(path).c_str());
  }
  watch.Stop();
  std::printf("longest wait for the window over the three: %.0f ms\n", watch.LongestWaitMs());
}

void LongMovie() {
  SwfWriter writer;
  writer.StagePixels(550, 400).FrameRate(200);
  int placed = 0;
  int brought = 0;
  for (int frame = 0; frame < 65535; ++frame) {
    const auto id = static_cast<std::uint16_t>(frame + 1);
    writer.DefineRectangle(id, 200 + frame % 500, 200, {static_cast<std::uint8_t>(frame), 0x40, 0x80});
    writer.Place(testing::Put(static_cast<std::uint16_t>(1 + frame % 100), id, frame % 10000, frame % 8000));
    ++placed;
    if (frame % 100 < 60 && brought < 100000 - 65535) {
      writer.Place(testing::Put(static_cast<std::uint16_t>(101 + frame % 100), static_cast<std::uint16_t>(id / 2 + 1)));
      ++placed;
      ++brought;
    }
    writer.ShowFrame();
  }
  const std::string path = Folder() + "long.swf";
  const Bytes bytes = writer.Bytes();
  WriteAll(path, bytes);
  Program program;
  program.Start();
  win32::WindowWatch watch(program.view.Handle());
  const double start = Seconds();
  program.cwin.Playback().Play(path);
  const double loaded = Seconds() - start;
  std::printf("65,535 frames, 100,000 shapes placed (%.1f MB): loaded and started in %.2f s\n", bytes.size() / 1048576.0,
              loaded);
  PumpFor(5);
  const double fromStart = Seconds() - start;
  std::printf("  played to frame %d after %.1f s\n", program.cwin.Playback().Player->CurrentFrame(), fromStart);
  const double seek = Seconds();
  program.cwin.Playback().Player->GotoFrame(65534);
  std::printf("  to the last frame: %.2f s\n", Seconds() - seek);
  watch.Stop();
  Report("whole run", Seconds() - start, watch);
  Messages(program);
  DeleteFileW(win32::Widen(path).c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  OleInitialize(nullptr);
  const std::wstring which = argc > 1 ? argv[1] : L"";
  if (which == L"script") EndlessScript();
  else if (which == L"projector") TwoGigabyteProjector();
  else if (which == L"store") MillionLineStore(argc > 2 ? _wtoi(argv[2]) : 499998);
  else if (which == L"bomb") Bombs();
  else if (which == L"frames") LongMovie();
  else {
    std::printf("limits_bench script|projector|store|bomb|frames\n");
    return 1;
  }
  return 0;
}
