// The real windows under work far past what real movies and libraries ask: an endless
// script, a projector of two gigabytes, a library of 35,000 categories. Each
// ends with a result or a clear failure, and the main window keeps answering the
// system (a WM_NULL sent from another thread) while the work runs.
#include "win32/windows_api.h"

#include <winioctl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/action_assembler.h"
#include "support/swf_writer.h"
#include "win32/sent_messages.h"
#include "window_watch.h"
#include "wired_main_window.h"

namespace tavelin::win32 {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::ActionAssembler;
using testing::SwfWriter;

// Generous: the work itself runs for seconds, so a window that did not answer during
// it would wait that long.
constexpr double kAnswersWithinMs = 1000;

std::string TempFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  wchar_t unique[64];
  swprintf(unique, 64, L"tavelin-limits-%lu-%lu", GetCurrentProcessId(), GetTickCount());
  const std::string folder = Narrow(temp) + Narrow(unique);
  CreateDirectoryW(Widen(folder).c_str(), nullptr);
  return folder;
}

void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream out(Widen(path).c_str(), std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A file of `size` bytes holding `pieces` at their offsets and nothing written
// elsewhere, so the system keeps it sparse.
void WriteSparse(const std::string& path, std::uint64_t size, const std::vector<std::pair<std::uint64_t, Bytes>>& pieces) {
  HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD ignored = 0;
  DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
  for (const auto& [offset, bytes] : pieces) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
  LARGE_INTEGER end{};
  end.QuadPart = static_cast<LONGLONG>(size);
  SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
  SetEndOfFile(file);
  CloseHandle(file);
}

void DeleteFolder(const std::string& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Widen(folder + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      DeleteFileW((Widen(folder) + L"\\" + data.cFileName).c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(Widen(folder).c_str());
}

class LimitsInTheWindow : public MainWindowWiring {
 protected:
  void TearDown() override {
    MainWindowWiring::TearDown();
    DeleteFolder(folder);
  }
  // Pumps the messages until `done` or `seconds` have passed.
  template <class Done>
  void PumpUntil(Done&& done, double seconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done() && std::chrono::steady_clock::now() < until) {
      PumpMessages();
      Sleep(10);
    }
  }

  std::string folder = TempFolder();
};

TEST_F(LimitsInTheWindow, AnEndlessScriptIsStoppedWhileTheWindowAnswersAndTheUserLearnsWhichMovie) {
  SwfWriter movie;
  movie.Version(8).StagePixels(200, 100).FrameRate(12);
  ActionAssembler forever;
  forever.Label("loop").Jump("loop");
  testing::AddDoAction(movie, forever);
  movie.ShowFrame();
  const std::string path = folder + "\\endless.swf";
  WriteAll(path, movie.Bytes());
  // The script's clock runs five times as fast as the wall's: the 15 s limit comes
  // after 3 s.
  putOut.Engine().SetScriptClock([] {
    return 5.0 * std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  });

  WindowWatch watch(view.Handle());
  const auto start = std::chrono::steady_clock::now();
  cwin.Playback().Play(path);
  PumpUntil([&] { return !dialogs.messages.empty(); }, 30);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  watch.Stop();

  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].text.find(path), std::string::npos);
  EXPECT_GT(seconds, 2.5);  // the script did run to its limit
  EXPECT_GT(watch.Questions(), 10);
  EXPECT_LT(watch.LongestWaitMs(), kAnswersWithinMs);
  // The movie plays on without running the script again.
  PumpUntil([] { return false; }, 1);
  EXPECT_EQ(dialogs.messages.size(), 1u);
  EXPECT_TRUE(cwin.Playback().Player->IsPlaying());
}

TEST_F(LimitsInTheWindow, AProjectorOfTwoGigabytesIsScannedWhileTheWindowAnswers) {
  // A stub of no known layout, then 2 GB of nothing, and a small movie at the very end:
  // the scan reads every window of the file to find it.
  const Bytes movie = SwfWriter().StagePixels(320, 240).FrameRate(12).ShowFrame().Bytes();
  const std::uint64_t size = std::uint64_t{2} << 30;
  const std::string projector = folder + "\\big.exe";
  WriteSparse(projector, size, {{0, Bytes(1024, 'x')}, {size - movie.size(), movie}});

  WindowWatch watch(view.Handle());
  const auto start = std::chrono::steady_clock::now();
  cwin.Projector().ExtractSwf(projector, folder + "\\big.swf", true);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  watch.Stop();

  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(files.ReadFile(folder + "\\big.swf", 1 << 20), movie);
  EXPECT_EQ(cwin.Playback().Player->Movie(), folder + "\\big.swf");
  if (seconds > 0.5) {
    EXPECT_GT(watch.Questions(), 2);
  }
  EXPECT_LT(watch.LongestWaitMs(), kAnswersWithinMs);
}

TEST_F(LimitsInTheWindow, ClosingAskedForDuringLongWorkWaitsForTheMessageLoop) {
  const HWND window = view.Handle();
  std::atomic<bool> answered{false};
  std::thread closer([&] {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_NORMAL, 5000, &result);
    answered = true;
  });
  // Long work on the window's thread, answering what is sent meanwhile.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!answered && std::chrono::steady_clock::now() < until) {
    AnswerSentMessages();
    Sleep(5);
  }
  closer.join();
  EXPECT_TRUE(answered);
  EXPECT_TRUE(IsWindow(window));  // no handler ran inside the work
  PumpMessages();
  EXPECT_FALSE(IsWindow(window));  // the close came once the loop ran
}

// The store of 70,004 lines: 35,000 categories, each its name and the empty line
// before it; more categories than a 16-bit signed count holds.
constexpr int kCategories = 35000;

class LimitsStore : public LimitsInTheWindow {
 protected:
  void SetUp() override {
    OleInitialize(nullptr);
    store = files.ProgramFolder() + "\\" + files.ExecutableBaseName() + ".ini";
    std::string text = "\r\n60 0 0 False False False\r\n\r\n";
    text += Narrow(L"\u641c\u7d22\u7ed3\u679c");  // the search results' node
    for (int c = 0; c < kCategories; ++c) text += "\r\n\r\nC" + std::to_string(c);
    text += "\r\n\r\n";
    std::string ansi;
    ASSERT_TRUE(codePage.FromUtf8(text, ansi));
    written = Bytes(ansi.begin(), ansi.end());
    WriteAll(store, written);
  }
  void TearDown() override {
    if (view.Handle()) DestroyWindow(view.Handle());
    PumpMessages();
    DeleteFileW(Widen(store).c_str());
    DeleteFolder(folder);
  }
  std::string store;
  Bytes written;
};

TEST_F(LimitsStore, AStoreOfThirtyFiveThousandCategoriesLoadsWhileTheWindowAnswersAndIsWrittenBackUnchanged) {
  ASSERT_TRUE(view.Create());
  view.Attach(&cwin);
  input.emplace(cwin, view, putOut);
  WindowWatch watch(view.Handle());
  cwin.Load("");
  cwin.Show();
  PumpMessages();
  watch.Stop();
  EXPECT_EQ(cwin.Library().CategoryCount, kCategories);
  EXPECT_LT(watch.LongestWaitMs(), kAnswersWithinMs);

  cwin.Unload();
  EXPECT_TRUE(files.ReadFile(store, 64 << 20) == written);
}

}  // namespace
}  // namespace tavelin::win32
