// The program's entry point: wires the Windows ports and windows to the main
// window's logic, runs the start-up and then the message loop.
#include "win32/windows_api.h"

#include <commctrl.h>
#include <ole2.h>

#include <optional>

#include "shell/cwin.h"
#include "shell/startup.h"
#include "win32/code_page.h"
#include "win32/key_preview.h"
#include "win32/movie_input_wiring.h"
#include "win32/main_window.h"
#include "win32/output_window.h"
#include "win32/single_instance.h"
#include "win32/ports/file_system.h"
#include "win32/ports/desktop.h"
#include "win32/ports/downloader.h"
#include "win32/ports/dialogs.h"
#include "win32/text.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  using namespace tavelin;
  const std::string arguments = win32::Narrow(commandLine ? commandLine : L"");
  // One library per program folder: a later start hands its command line to the copy
  // that keeps it, and ends.
  std::string programFolder;
  win32::Win32InstancePort instances;
  InstanceRole role = InstanceRole::kFirst;
  try {
    programFolder = win32::Win32FileSystem().ProgramFolder();
    role = ChooseInstanceRole(instances, programFolder, arguments);
  } catch (const std::exception&) {
  }
  if (role == InstanceRole::kHandedOver) return 0;

  // The library probes removable and CD-ROM drives that may be empty; the system must
  // not ask the user to insert a disc each time, the library handles them silently.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  // Drag and drop in the library and the system's dialogs need OLE on this thread.
  const bool ole = SUCCEEDED(OleInitialize(nullptr));
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES |
                                                     ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);

  win32::Win32FileSystem files;
  win32::Win32Dialogs dialogs;
  win32::Win32Desktop desktop;
  win32::AnsiCodePage codePage;
  // The windows call into the logic until they are destroyed, so the logic is declared
  // first (and so destroyed last) and made once the windows exist.
  std::optional<CWin> logic;
  std::optional<win32::MovieInputWiring> input;
  win32::Win32Downloader downloader;  // outlives the movie control's downloads
  win32::OutputWindow putOut(instance, files, &downloader);
  win32::MainWindow view(instance, /*quitOnDestroy=*/true);
  if (!view.Create()) return 1;
  files.SetDialogOwner(view.Handle());
  CWin& cwin = logic.emplace(Ports{files, dialogs, desktop, codePage}, view, putOut);
  view.Attach(&cwin);
  putOut.SetOnLoaded([&](HWND movieWindow) {
    dialogs.SetOwner(movieWindow);
    view.SetStatusStripHome(putOut.Handle());
    putOut.SetStatusStrip(view.StatusStripHandle(), &cwin.Playback().ShowStatus,
                          [&cwin = cwin](WindowState state) { cwin.Playback().PutOut_Resize(state); });
  });

  input.emplace(cwin, view, putOut);
  putOut.SetOnLoadFailure([&cwin](const std::string& message) { cwin.ShowMessage(message, mb::kIconWarning); });
  cwin.WritesStore = role == InstanceRole::kFirst;
  Main(cwin, putOut, arguments);
  std::optional<win32::HandOverReceiver> handOver;
  if (role == InstanceRole::kFirst && !programFolder.empty()) {
    handOver.emplace(
        instance, LibraryInstanceName(programFolder), [&view] { return view.Handle() != nullptr; },
        [&view, &cwin](const std::string& text) {
          if (IsIconic(view.Handle())) ShowWindow(view.Handle(), SW_RESTORE);
          SetForegroundWindow(view.Handle());
          cwin.OpenHandedOverMovies(text);
        });
  }

  MSG message;
  auto pump = [&] {
    if (view.About().HandleDialogKeys(message)) return;
    win32::DispatchWithPreview(message);
  };
  while (GetMessageW(&message, nullptr, 0, 0) > 0) pump();
  const int exitCode = static_cast<int>(message.wParam);
  if (handOver) handOver->Close();
  // An About window still open keeps the program until it is closed.
  while (view.About().Handle() && GetMessageW(&message, nullptr, 0, 0) > 0) pump();
  if (ole) OleUninitialize();
  return exitCode;
}
