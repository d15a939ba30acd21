#include "shell/startup.h"

#include "platform/text.h"

namespace tavelin {

void Main(CWin& cwin, OutputWindowHost& putOut, const std::string& commandLine) {
  Ports& system = cwin.System();
  StepRecord ignored;

  // The movie control file is copied into the system folder and registered, once.
  // Without a readable system folder there is nowhere to install it, so nothing is tried.
  std::string systemFolder;
  ignored.Run([&] { systemFolder = system.files.SystemFolder(); });
  if (!systemFolder.empty()) {
    const std::string target = systemFolder + "\\flash.ocx";
    bool present = true;
    ignored.Run([&] { present = system.files.FileExists(target); });
    if (!present) {
      bool copied = false;
      ignored.Run([&] {
        system.files.CopyFile(WithTrailingBackslash(system.files.ProgramFolder()) + "flash.ocx", target);
        copied = true;
      });
      if (copied) {
        ignored.Run([&] { system.desktop.StartProcess("regsvr32.exe /s " + target, ShowState::kMinimizedWithFocus); });
      }
    }
  }

  cwin.Load(commandLine);
  cwin.Show();
  ignored.Run([&] { putOut.Control().SetQuality("high"); });
  ignored.Run([&] { putOut.LoadStandardCursors(); });
}

}  // namespace tavelin
