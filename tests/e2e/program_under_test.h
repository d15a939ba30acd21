#pragma once
// Starts Tavelin.exe as a separate process and finds and drives its windows, as a
// user would see them.

#include "win32/windows_api.h"

#include <string>

namespace tavelin::e2e {

class ProgramUnderTest {
 public:
  ProgramUnderTest() = default;
  ProgramUnderTest(const ProgramUnderTest&) = delete;
  ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;
  ~ProgramUnderTest();  // kills the process if it is still running

  // Starts Tavelin.exe (beside this test program) with an argument text. Unless told
  // to keep it, the library store left by an earlier run is removed first.
  bool Start(const std::wstring& arguments, bool keepStore = false);
  // Starts another program of the build's folder (a packed projector, say).
  bool StartExecutable(const std::wstring& path);
  // The build's folder (where Tavelin.exe and data.dat are), with a trailing backslash.
  static std::wstring BuildFolder();
  // The library store beside Tavelin.exe.
  static std::wstring StorePath();
  // The first visible top-level window of the process with this class, or null
  // when none appears within the timeout.
  HWND WaitForWindow(const wchar_t* className, DWORD timeoutMs) const;
  // Waits for the process to end; returns its exit code, or -1 on timeout.
  long WaitForExit(DWORD timeoutMs) const;

  static std::wstring WindowCaption(HWND window);

 private:
  PROCESS_INFORMATION process_{};
};

}  // namespace tavelin::e2e
