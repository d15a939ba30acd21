// The association's script as the system's own registry editor imports it.
#include "win32/windows_api.h"

#include <gtest/gtest.h>

#include <string>

#include "integration/file_association.h"
#include "win32/code_page.h"
#include "win32/ports/desktop.h"
#include "win32/ports/dialogs.h"
#include "win32/ports/file_system.h"
#include "win32/text.h"

namespace tavelin::win32 {
namespace {

constexpr wchar_t kClass[] = L"ShockwaveFlash.ShockwaveFlash";

// The default value of a key under HKEY_CLASSES_ROOT; empty when there is none.
std::wstring ClassValue(const std::wstring& key) {
  wchar_t value[1024] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
    return {};
  }
  return value;
}

void ForgetAssociation() {
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L".swf");
  RegDeleteKeyW(HKEY_CLASSES_ROOT, L".swf");
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kClass);
  RegDeleteKeyW(HKEY_CLASSES_ROOT, kClass);
}

std::wstring ProgramPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

// Waits (bounded) until the editor started without waiting has written the verb.
std::wstring WaitForCommand(const std::wstring& verbCommand) {
  std::wstring command;
  for (int i = 0; i < 300 && command.empty(); ++i) {
    command = ClassValue(verbCommand);
    if (command.empty()) Sleep(100);
  }
  return command;
}

TEST(FileAssociationOnTheSystem, TheRegistryEditorMapsSwfToTheProgramWithItsIconAndQuotedVerb) {
  ForgetAssociation();
  Win32FileSystem files;
  Win32Dialogs dialogs;
  Win32Desktop desktop;
  AnsiCodePage codePage;
  FileAssociation association(Ports{files, dialogs, desktop, codePage});
  association.mFL_RegPlayer();

  const std::wstring verb = std::wstring(kClass) + L"\\shell\\Tavelin&F\\command";
  const std::wstring program = ProgramPath();
  EXPECT_EQ(WaitForCommand(verb), L"\"" + program + L"\" %1");
  EXPECT_EQ(ClassValue(L".swf"), kClass);
  EXPECT_EQ(ClassValue(std::wstring(kClass) + L"\\shell"), L"Tavelin&F");
  EXPECT_EQ(ClassValue(std::wstring(kClass) + L"\\DefaultIcon"), program + L",0");
  EXPECT_TRUE(files.FileExists("c:\\flash.reg"));
  ForgetAssociation();
  files.DeleteFile("c:\\flash.reg");
}

TEST(FileAssociationOnTheSystem, AUnicodeScriptKeepsAPathTheAnsiCodePageCannotHold) {
  ForgetAssociation();
  AnsiCodePage codePage;
  const std::string escaped = FileAssociation::EscapedProgramPath("C:\\한글 폴더", "Tavelin");
  Win32Desktop desktop;
  const std::string text = FileAssociation::ScriptText(desktop.LoadText(association::kScriptHeadText),
                                                       desktop.LoadText(association::kScriptMiddleText), escaped);
  const auto bytes = FileAssociation::ScriptBytes(text, codePage);
  ASSERT_EQ(bytes.at(0), 0xFF);  // Unicode, with its byte-order mark

  Win32FileSystem files;
  const std::string script = desktop.TemporaryFolder() + "tavelin-unicode.reg";
  files.WriteFile(script, bytes);
  std::wstring command = L"regedit.exe /s \"" + Widen(script) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  WaitForSingleObject(process.hProcess, 30000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  EXPECT_EQ(ClassValue(std::wstring(kClass) + L"\\shell\\Tavelin&F\\command"), L"\"C:\\한글 폴더\\Tavelin.exe\" %1");
  ForgetAssociation();
  files.DeleteFile(script);
}

}  // namespace
}  // namespace tavelin::win32
