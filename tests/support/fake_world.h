#pragma once
// A main window's logic wired to fakes of every port and of both windows, for tests
// and benchmarks alike.

#include "shell/cwin.h"
#include "support/fake_desktop.h"
#include "support/fake_dialogs.h"
#include "support/fake_file_system.h"
#include "support/fake_window_hosts.h"
#include "support/iconv_code_page.h"

namespace tavelin::testing {

struct FakeWorld {
  FakeWorld() { putOut.journal = &window.journal; }

  FakeFileSystem files;
  FakeDialogs dialogs;
  FakeDesktop desktop;
  IconvCodePage codePage;
  FakeMainWindow window;
  FakeOutputWindow putOut;
  CWin cwin{Ports{files, dialogs, desktop, codePage}, window, putOut};
};

}  // namespace tavelin::testing
