#include "shell/startup.h"

#include <gtest/gtest.h>

#include "support/main_window_fixture.h"

namespace tavelin::testing {
namespace {

using Startup = MainWindowFixture;

TEST_F(Startup, CopiesAndRegistersTheMovieControlFileWhenTheSystemLacksIt) {
  files.AddFile("C:\\Program Files\\Tavelin\\flash.ocx", "ocx");
  Main(cwin, putOut, "");
  EXPECT_EQ(files.Content("C:\\WINDOWS\\system32\\flash.ocx"), "ocx");
  ASSERT_EQ(desktop.processes.size(), 1u);
  EXPECT_EQ(desktop.processes[0].commandLine, "regsvr32.exe /s C:\\WINDOWS\\system32\\flash.ocx");
  EXPECT_EQ(desktop.processes[0].show, ShowState::kMinimizedWithFocus);
  EXPECT_TRUE(window.shown);
  EXPECT_EQ(putOut.control.quality, "high");
  EXPECT_TRUE(putOut.cursorsLoaded);
}

TEST_F(Startup, LeavesAPresentControlFileAloneEvenHiddenOrReadOnly) {
  files.AddFile("C:\\Program Files\\Tavelin\\flash.ocx", "new");
  files.AddFile("C:\\WINDOWS\\system32\\flash.ocx", "old", attr::kHidden | attr::kReadOnly);
  Main(cwin, putOut, "");
  EXPECT_EQ(files.Content("C:\\WINDOWS\\system32\\flash.ocx"), "old");
  EXPECT_TRUE(desktop.processes.empty());
}

TEST_F(Startup, GoesOnSilentlyWhenTheControlFileCannotBeInstalled) {
  Main(cwin, putOut, "");  // no flash.ocx beside the program
  EXPECT_TRUE(desktop.processes.empty());
  files.AddFile("C:\\Program Files\\Tavelin\\flash.ocx", "ocx");
  files.FailNext("CopyFile", "拒绝访问。");
  FakeMainWindow second;
  FakeOutputWindow out;
  CWin other(Ports{files, dialogs, desktop, codePage}, second, out);
  Main(other, out, "");
  EXPECT_TRUE(desktop.processes.empty());
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(second.shown);
}

TEST_F(Startup, ReadsASystemFolderOfAnyLength) {
  const std::string longFolder = "C:\\Windows Installation With A Long Name\\System32";
  files.SetSystemFolder(longFolder);
  files.AddFolder(longFolder);
  files.AddFile("C:\\Program Files\\Tavelin\\flash.ocx", "ocx");
  Main(cwin, putOut, "");
  EXPECT_TRUE(files.FileExists(longFolder + "\\flash.ocx"));
}

}  // namespace
}  // namespace tavelin::testing
