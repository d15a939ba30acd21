// One 200 ms status tick while a movie plays, with fake windows and control.
#include <benchmark/benchmark.h>

#include "shell/cwin.h"
#include "support/fake_desktop.h"
#include "support/fake_dialogs.h"
#include "support/fake_file_system.h"
#include "support/fake_window_hosts.h"
#include "support/iconv_code_page.h"

namespace {

using namespace tavelin;
using namespace tavelin::testing;

void BM_StatusTick(benchmark::State& state) {
  FakeFileSystem files;
  FakeDialogs dialogs;
  FakeDesktop desktop;
  IconvCodePage codePage;
  FakeMainWindow window;
  FakeOutputWindow output;
  CWin cwin(Ports{files, dialogs, desktop, codePage}, window, output);
  cwin.Load("");
  cwin.Player = &output.control;
  cwin.FrameRate = 25;
  cwin.FrameTotal = 3000;
  cwin.TrackProgress = true;
  output.control.movie = "C:\\a.swf";
  output.control.playing = true;
  int frame = 1;
  for (auto _ : state) {
    output.control.currentFrame = frame;
    frame = frame % 2999 + 5;  // five frames a tick, as at 25 frames per second
    cwin.Timer1_Timer();
  }
}
BENCHMARK(BM_StatusTick);

}  // namespace
