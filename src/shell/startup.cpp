#include "shell/startup.h"

namespace tavelin {

void Main(CWin& cwin, OutputWindowHost& putOut, const std::string& commandLine) {
  StepRecord ignored;

  cwin.Load(commandLine);
  cwin.Show();
  ignored.Run([&] { putOut.Control().SetQuality("high"); });
  ignored.Run([&] { putOut.LoadStandardCursors(); });
}

}  // namespace tavelin
