// Times the projector tools on real files under Wine, each figure the best of three:
// extracting a 256 MB movie from a projector (marked stub, and a stub read by the scan)
// and packing a 256 MB movie, each beside a plain copy of the same file; converting
// 1,000 small projectors through the real main window, with how often the progress
// label moved and the longest wait between two of its changes while the window
// answered messages; and a packed projector's start until its window shows.
//   scripts/wine.sh build/win/projector_files_bench.exe [megabytes] [projectors]
#include "win32/windows_api.h"

#include "stopwatch.h"

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "projector/projector_file.h"
#include "projector/projector_tools.h"
#include "shell/cwin.h"
#include "support/fake_dialogs.h"
#include "win32/code_page.h"
#include "win32/main_window.h"
#include "win32/output_window.h"
#include "win32/ports/desktop.h"
#include "win32/ports/file_system.h"
#include "win32/text.h"

namespace {

using namespace tavelin;
using bench::Seconds;
using Bytes = std::vector<std::uint8_t>;

constexpr int kRuns = 3;

std::string BenchFolder() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  return win32::Narrow(temp) + "tavelin-projector-bench\\";
}

std::string ProgramFolder() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::string path = win32::Narrow(self);
  return path.substr(0, path.find_last_of('\\') + 1);
}

// `megabytes` of movie-like bytes after an uncompressed signature, written a megabyte at
// a time. Without 'F' after the signature when `noOtherSignature`, so a scan finds one.
void WriteMovie(win32::Win32FileSystem& files, const std::string& path, int megabytes, bool noOtherSignature) {
  Bytes chunk(std::size_t{1} << 20);
  std::uint32_t state = 2026;
  files.WriteFile(path, Bytes{'F', 'W', 'S', 10});
  for (int m = 0; m < megabytes; ++m) {
    for (std::uint8_t& b : chunk) {
      state = state * 1103515245u + 12345u;
      b = static_cast<std::uint8_t>(state >> 24);
      if (noOtherSignature && b == 'F') b = 'G';
    }
    files.AppendFile(path, chunk);
  }
}

double PeakPrivateMegabytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<double>(counters.PeakPagefileUsage) / (1 << 20);
}

class QuietHost : public ProjectorHost {
 public:
  void Play(const std::string&) override {}
  int ShowMessage(const std::string& text, int, const std::string&) override {
    std::printf("  message: %s\n", text.c_str());
    return 1;
  }
  std::string ProgramFolder() override { return ::ProgramFolder(); }
};

template <class Step>
double BestOf(const std::string& removed, Step&& step) {
  double best = 1e9;
  for (int run = 0; run < kRuns; ++run) {
    DeleteFileW(win32::Widen(removed).c_str());
    const double start = Seconds();
    step();
    best = std::min(best, Seconds() - start);
  }
  DeleteFileW(win32::Widen(removed).c_str());
  return best;
}

void Report(const char* what, double seconds, double copySeconds) {
  std::printf("%-44s %7.0f ms   plain copy %7.0f ms   ratio %.2f\n", what, seconds * 1000, copySeconds * 1000,
              seconds / copySeconds);
}

void Settle(HWND window) {
  UpdateWindow(window);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// Converts `count` small projectors through the real main window while another thread
// asks the progress label for its text, as any other program's window would: each
// answer shows the window was answering messages, each new text or width a step of
// the label.
void TimeBatch(win32::Win32FileSystem& files, int count) {
  const std::string folder = BenchFolder() + "batch-" + std::to_string(count) + "\\";
  if (!files.FolderExists(folder)) {
    CreateDirectoryW(win32::Widen(folder).c_str(), nullptr);
    Bytes projector(4096, 'x');
    projector[0x70] = 0, projector[0x71] = 0, projector[0x72] = 0x10, projector[0x73] = 0;  // the movie at 4096
    const Bytes movie{'F', 'W', 'S', 10, 29, 0, 0, 0, 0x78, 0, 5, 0x5F, 0, 0, 0x0F, 0xA0, 0, 0x18, 1, 0, 0x40, 0, 0, 0};
    projector.insert(projector.end(), movie.begin(), movie.end());
    for (int i = 0; i < count; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "p%04d.exe", i);
      files.WriteFile(folder + name, projector);
    }
  }

  testing::FakeDialogs dialogs;
  win32::Win32Desktop desktop;
  win32::AnsiCodePage codePage;
  {
    // The file work alone, for comparison with the conversion in the window.
    QuietHost host;
    ProjectorTools tools(Ports{files, dialogs, desktop, codePage}, host);
    double best = 1e9;
    for (int run = 0; run < kRuns; ++run) {
      const double start = Seconds();
      for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "p%04d.", i);
        tools.ExtractSwf(folder + name + "exe", folder + name + "swf", false);
      }
      best = std::min(best, Seconds() - start);
    }
    std::printf("%d small projectors extracted without the window, best of %d: %.0f ms, %.2f ms each\n", count, kRuns,
                best * 1000, best * 1000 / count);
  }
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  win32::OutputWindow putOut(instance, files);
  win32::MainWindow view(instance, false);
  if (!view.Create()) return;
  CWin cwin(Ports{files, dialogs, desktop, codePage}, view, putOut);
  view.Attach(&cwin);
  cwin.Load("");
  cwin.Show();
  Settle(view.Handle());
  cwin.Library().TreeEvents().RevealPath(folder);
  cwin.Library().ListEvents().FL_MenuCommand("mFL_ShowEXE");
  Settle(view.Handle());
  std::printf("batch of %d projectors (%d rows listed)\n", count, ListView_GetItemCount(view.ListHandle()));

  for (int run = 0; run < kRuns; ++run) {
    const HWND label = view.LabelHandle(6);
    std::atomic<bool> done{false};
    int changes = 0, answers = 0;
    double longestChange = 0, longestAnswer = 0;
    const double start = Seconds();
    std::thread watcher([&] {
      std::wstring last;
      int lastWidth = -1;
      double lastChange = start, lastAnswer = start;
      while (!done) {
        wchar_t text[32] = {};
        DWORD_PTR length = 0;
        if (SendMessageTimeoutW(label, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &length)) {
          const double now = Seconds();
          longestAnswer = std::max(longestAnswer, now - lastAnswer);
          lastAnswer = now;
          ++answers;
          RECT r{};
          GetWindowRect(label, &r);
          if (text != last || r.right - r.left != lastWidth) {
            longestChange = std::max(longestChange, now - lastChange);
            lastChange = now;
            last = text;
            lastWidth = r.right - r.left;
            ++changes;
          }
        }
        Sleep(1);
      }
    });
    cwin.Library().ListEvents().FL_MenuCommand("mFL_TranFlie(0)");
    const double total = Seconds() - start;
    done = true;
    watcher.join();
    std::printf("  run %d: %.0f ms in all, %.2f ms per projector; label seen changing %d times, longest wait between "
                "two changes %.1f ms; %d answers, longest wait for one %.1f ms\n",
                run + 1, total * 1000, total * 1000 / count, changes, longestChange * 1000, answers,
                longestAnswer * 1000);
  }
  DestroyWindow(view.Handle());
}

// From CreateProcess to the projector's window being visible.
void TimeStubStart(win32::Win32FileSystem& files) {
  const std::string packed = BenchFolder() + "start.exe";
  files.CopyFile(ProgramFolder() + "data.dat", packed);
  const Bytes movie{'F', 'W', 'S', 10, 29, 0, 0, 0, 0x78, 0, 5, 0x5F, 0, 0, 0x0F, 0xA0, 0, 0x18, 1, 0, 0x40, 0, 0, 0};
  files.AppendFile(packed, movie);
  double best = 1e9;
  for (int run = 0; run < kRuns; ++run) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring command = L"\"" + win32::Widen(packed) + L"\"";
    const double start = Seconds();
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
      return;
    }
    HWND window = nullptr;
    while (Seconds() - start < 30) {
      window = FindWindowW(L"TavelinProjector", nullptr);
      if (window && IsWindowVisible(window)) break;
      Sleep(1);
    }
    const double shown = Seconds() - start;
    best = std::min(best, shown);
    std::printf("  run %d: window shown after %.0f ms\n", run + 1, shown * 1000);
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  std::printf("packed projector's start, best of %d: %.0f ms\n", kRuns, best * 1000);
  DeleteFileW(win32::Widen(packed).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const int megabytes = argc > 1 ? std::atoi(argv[1]) : 256;
  const int projectors = argc > 2 ? std::atoi(argv[2]) : 1000;
  win32::Win32FileSystem files;
  const std::string folder = BenchFolder();
  CreateDirectoryW(win32::Widen(folder).c_str(), nullptr);

  // The movie, the projector the build's stub makes of it, and one whose stub is read
  // by the scan (no marker, not a known length).
  const std::string movie = folder + "movie.swf", marked = folder + "marked.exe", scanned = folder + "scanned.exe";
  WriteMovie(files, movie, megabytes, true);
  files.CopyFile(ProgramFolder() + "data.dat", marked);
  files.CopyFileRange(movie, 0, files.List(movie).front().size, marked, true);
  files.WriteFile(scanned, Bytes(300000, 'x'));
  files.CopyFileRange(movie, 0, files.List(movie).front().size, scanned, true);
  std::printf("%d MB movie; peak private memory after writing the files %.0f MB\n", megabytes, PeakPrivateMegabytes());

  testing::FakeDialogs dialogs;
  win32::Win32Desktop desktop;
  win32::AnsiCodePage codePage;
  QuietHost host;
  ProjectorTools tools(Ports{files, dialogs, desktop, codePage}, host);
  const std::wstring copy = win32::Widen(folder + "copy.bin");
  const auto plainCopy = [&](const std::string& from) {
    return BestOf(folder + "copy.bin", [&] { CopyFileW(win32::Widen(from).c_str(), copy.c_str(), FALSE); });
  };

  const double markedCopy = plainCopy(marked);
  Report("extract, marked stub", BestOf(folder + "out.swf", [&] { tools.ExtractSwf(marked, folder + "out.swf", false); }),
         markedCopy);
  Report("extract, stub found by the scan",
         BestOf(folder + "out.swf", [&] { tools.ExtractSwf(scanned, folder + "out.swf", false); }), plainCopy(scanned));
  {
    double best = 1e9;
    for (int run = 0; run < kRuns; ++run) {
      const double start = Seconds();
      projector::ProjectorFile file(files, scanned, files.List(scanned).front().size);
      const std::size_t found = projector::FindMovies(file).movies.size();
      best = std::min(best, Seconds() - start);
      if (found != 1) std::printf("  the scan found %zu movies\n", found);
    }
    std::printf("%-44s %7.0f ms\n", "the scan alone, stub found by the scan", best * 1000);
  }
  Report("pack behind data.dat", BestOf(folder + "packed.exe", [&] { tools.PackSwf(movie, folder + "packed.exe"); }),
         plainCopy(movie));
  std::printf("peak private memory after extracting and packing: %.0f MB\n", PeakPrivateMegabytes());

  TimeBatch(files, projectors);
  TimeStubStart(files);
  for (const std::string& path : {movie, marked, scanned}) DeleteFileW(win32::Widen(path).c_str());
  return 0;
}
