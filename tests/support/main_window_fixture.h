#pragma once
// A main window wired to fakes of every port and of both windows.

#include <gtest/gtest.h>

#include "shell/cwin.h"
#include "support/fake_desktop.h"
#include "support/fake_dialogs.h"
#include "support/fake_file_system.h"
#include "support/fake_window_hosts.h"
#include "support/iconv_code_page.h"
#include "support/swf_writer.h"

namespace tavelin::testing {

class MainWindowFixture : public ::testing::Test {
 protected:
  MainWindowFixture() { putOut.journal = &window.journal; }

  // Writes a movie into the fake file system.
  void AddMovie(const std::string& path, const SwfWriter& movie) { files.AddFile(path, movie.Bytes()); }

  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : dialogs.messages) texts.push_back(m.text);
    return texts;
  }

  FakeFileSystem files;
  FakeDialogs dialogs;
  FakeDesktop desktop;
  IconvCodePage codePage;
  FakeMainWindow window;
  FakeOutputWindow putOut;
  CWin cwin{Ports{files, dialogs, desktop, codePage}, window, putOut};
};

}  // namespace tavelin::testing
