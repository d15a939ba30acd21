// Times the real main window under Wine: revealing a folder of 10,000 movies until
// the list has painted, then sorting it by each column. Prints one line per figure.
//   scripts/wine.sh build/win/list_folder_bench.exe [count]
#include "win32/windows_api.h"

#include "stopwatch.h"

#include <cstdio>
#include <string>

#include "shell/cwin.h"
#include "support/fake_dialogs.h"
#include "win32/code_page.h"
#include "win32/main_window.h"
#include "win32/output_window.h"
#include "win32/ports/desktop.h"
#include "win32/ports/file_system.h"
#include "win32/text.h"

namespace {

using tavelin::bench::Seconds;

void Settle(HWND window) {
  UpdateWindow(window);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  UpdateWindow(window);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tavelin;
  const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
  win32::Win32FileSystem files;
  testing::FakeDialogs dialogs;
  win32::Win32Desktop desktop;
  win32::AnsiCodePage codePage;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  win32::OutputWindow putOut(instance, files);
  win32::MainWindow view(instance, false);
  if (!view.Create()) return 1;
  CWin cwin(Ports{files, dialogs, desktop, codePage}, view, putOut);
  view.Attach(&cwin);
  cwin.Load("");
  cwin.Show();
  Settle(view.Handle());

  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::string folder = win32::Narrow(temp) + "tavelin-bench-" + std::to_string(count) + "\\";
  if (!files.FolderExists(folder)) {
    CreateDirectoryW(win32::Widen(folder).c_str(), nullptr);
    const std::vector<std::uint8_t> movie{'F', 'W', 'S', 10, 29, 0, 0, 0, 0x78, 0, 5, 0x5F, 0, 0, 0x0F, 0xA0, 0};
    for (int i = 0; i < count; ++i) files.WriteFile(folder + "movie" + std::to_string(i) + ".swf", movie);
  }

  double start = Seconds();
  cwin.Library().TreeEvents().RevealPath(folder);
  Settle(view.Handle());
  std::printf("reveal and list %d movies: %.0f ms (%d rows)\n", count, (Seconds() - start) * 1000,
              ListView_GetItemCount(view.ListHandle()));
  for (int column : {0, 1, 2, 0}) {
    start = Seconds();
    cwin.Library().ListEvents().FL_ColumnClick(column);
    Settle(view.Handle());
    std::printf("sort by column %d: %.0f ms\n", column, (Seconds() - start) * 1000);
  }
  DestroyWindow(view.Handle());
  return 0;
}
