#pragma once
// The real main window and output window wired to the main window's logic with the
// Windows ports (and answering dialogs), for tests that drive them with messages.

#include "win32/main_window.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "shell/cwin.h"
#include "support/fake_dialogs.h"
#include "win32/code_page.h"
#include "win32/movie_input_wiring.h"
#include "win32/output_window.h"
#include "win32/ports/desktop.h"
#include "win32/ports/file_system.h"
#include "win32/text.h"

namespace tavelin::win32 {

inline void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    DispatchWithPreview(message);
  }
}

inline RECT ChildRect(HWND parent, HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

inline std::string TreeItemText(HWND tree, HTREEITEM item) {
  wchar_t text[256] = {};
  TVITEMW tv{};
  tv.mask = TVIF_TEXT | TVIF_HANDLE;
  tv.hItem = item;
  tv.pszText = text;
  tv.cchTextMax = 256;
  TreeView_GetItem(tree, &tv);
  return Narrow(text);
}

class MainWindowWiring : public ::testing::Test {
 protected:
  void SetUp() override {
    OleInitialize(nullptr);  // library drags, as the program has them
    ForgetStore();
    ASSERT_TRUE(view.Create());
    view.Attach(&cwin);
    input.emplace(cwin, view, putOut);
    putOut.SetOnLoaded([this](HWND) {
      view.SetStatusStripHome(putOut.Handle());
      putOut.SetStatusStrip(view.StatusStripHandle(), &cwin.Playback().ShowStatus,
                          [&cwin = cwin](WindowState state) { cwin.Playback().PutOut_Resize(state); });
    });
    cwin.Load("");
    cwin.Show();
    PumpMessages();
  }
  void TearDown() override {
    if (view.Handle()) DestroyWindow(view.Handle());
    PumpMessages();
    ForgetStore();
  }
  // Each test starts without a library: the store the last one left beside the test
  // program goes.
  void ForgetStore() {
    const std::string store = files.ProgramFolder() + "\\" + files.ExecutableBaseName() + ".ini";
    DeleteFileW(Widen(store).c_str());
  }

  HINSTANCE instance = GetModuleHandleW(nullptr);
  Win32FileSystem files;
  testing::FakeDialogs dialogs;
  Win32Desktop desktop;
  AnsiCodePage codePage;
  // The windows call into the logic until they are gone, so they are declared after it
  // and destroyed before it; the logic only keeps references to them until then.
  std::optional<MovieInputWiring> input;
  CWin cwin{Ports{files, dialogs, desktop, codePage}, view, putOut};
  OutputWindow putOut{instance, files};
  MainWindow view{instance, /*quitOnDestroy=*/false};
};

}  // namespace tavelin::win32
