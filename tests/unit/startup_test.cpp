#include "shell/startup.h"

#include <gtest/gtest.h>

#include "support/main_window_fixture.h"

namespace tavelin::testing {
namespace {

using Startup = MainWindowFixture;

// The movie control is built into the program: start-up installs and registers no file,
// so nothing dropped beside the program is ever copied into the system or registered.
TEST_F(Startup, ShowsTheWindowAndSetsUpTheControlWithoutInstallingAnything) {
  files.AddFile("C:\\Program Files\\Tavelin\\flash.ocx", "planted");
  Main(cwin, putOut, "");
  EXPECT_FALSE(files.Contains("C:\\WINDOWS\\system32\\flash.ocx"));
  EXPECT_TRUE(desktop.processes.empty());
  EXPECT_TRUE(window.shown);
  EXPECT_EQ(putOut.control.quality, "high");
  EXPECT_TRUE(putOut.cursorsLoaded);
  EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
}  // namespace tavelin::testing
