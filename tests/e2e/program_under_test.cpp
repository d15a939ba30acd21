#include "program_under_test.h"

#include <vector>

namespace tavelin::e2e {
namespace {

std::wstring ProgramPath() {
  std::vector<wchar_t> path(32768);
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  std::wstring self(path.data(), length);
  return self.substr(0, self.find_last_of(L'\\') + 1) + L"Tavelin.exe";
}

struct WindowSearch {
  DWORD processId;
  const wchar_t* className;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<WindowSearch*>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  wchar_t className[128] = {};
  GetClassNameW(hwnd, className, 128);
  if (owner == search->processId && IsWindowVisible(hwnd) && lstrcmpW(className, search->className) == 0) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

ProgramUnderTest::~ProgramUnderTest() {
  if (!process_.hProcess) return;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

std::wstring ProgramUnderTest::BuildFolder() {
  const std::wstring program = ProgramPath();
  return program.substr(0, program.find_last_of(L'\\') + 1);
}

bool ProgramUnderTest::StartExecutable(const std::wstring& path) {
  std::wstring commandLine = L"\"" + path + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  return CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process_) != 0;
}

std::wstring ProgramUnderTest::StorePath() {
  const std::wstring program = ProgramPath();
  return program.substr(0, program.size() - 4) + L".ini";
}

bool ProgramUnderTest::Start(const std::wstring& arguments, bool keepStore) {
  if (!keepStore) {
    SetFileAttributesW(StorePath().c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(StorePath().c_str());
  }
  std::wstring commandLine = L"\"" + ProgramPath() + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  return CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process_) != 0;
}

HWND ProgramUnderTest::WaitForWindow(const wchar_t* className, DWORD timeoutMs) const {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  do {
    WindowSearch search{process_.dwProcessId, className, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    Sleep(100);
  } while (GetTickCount64() < deadline);
  return nullptr;
}

long ProgramUnderTest::WaitForExit(DWORD timeoutMs) const {
  if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return static_cast<long>(code);
}

std::wstring ProgramUnderTest::WindowCaption(HWND window) {
  wchar_t caption[512] = {};
  GetWindowTextW(window, caption, 512);
  return caption;
}

}  // namespace tavelin::e2e
