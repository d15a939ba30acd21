// The installer, as a user runs it: a silent per-user install, the installed program
// started from its folder, and a silent uninstall that leaves only the library.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "program_under_test.h"
#include "shipped_files.h"
#include "win32/main_window.h"

namespace tavelin::e2e {
namespace {

const std::wstring kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tavelin";
const std::wstring kClass = L"Software\\Classes\\ShockwaveFlash.ShockwaveFlash";
const std::wstring kExtension = L"Software\\Classes\\.swf";

// Writes the association the program's own menu command makes, for a given program.
void Associate(HKEY root, const std::wstring& program) {
  ASSERT_TRUE(SetRegistryText(root, kExtension, nullptr, L"ShockwaveFlash.ShockwaveFlash"));
  ASSERT_TRUE(SetRegistryText(root, kClass + L"\\shell", nullptr, L"Tavelin&F"));
  ASSERT_TRUE(SetRegistryText(root, kClass + L"\\DefaultIcon", nullptr, program + L",0"));
  ASSERT_TRUE(SetRegistryText(root, kClass + L"\\shell\\Tavelin&F\\command", nullptr, program + L" %1"));
}

void RemoveAssociation(HKEY root) {
  RegDeleteTreeW(root, kClass.c_str());
  RegDeleteTreeW(root, kExtension.c_str());
}

// Waits until the uninstall key is gone, the uninstaller's last step: it runs on from a
// copy of itself after the process that was started has ended.
bool WaitUntilUninstalled(DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (RegistryKeyExists(HKEY_CURRENT_USER, kUninstallKey)) {
    if (GetTickCount64() > deadline) return false;
    Sleep(200);
  }
  Sleep(500);  // the copy deletes itself as it ends
  return true;
}

class Installer : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = KnownFolder(FOLDERID_LocalAppData) + L"\\Programs\\Tavelin";
    shortcut_ = KnownFolder(FOLDERID_Programs) + L"\\Tavelin Player.lnk";
    program_ = folder_ + L"\\Tavelin.exe";
    // What an earlier, interrupted run may have left.
    Clean();
  }
  void TearDown() override { Clean(); }
  void Clean() {
    RemoveTree(folder_);
    DeleteFileW(shortcut_.c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey.c_str());
    RemoveAssociation(HKEY_CURRENT_USER);
    RemoveAssociation(HKEY_LOCAL_MACHINE);
  }

  std::wstring folder_, shortcut_, program_;
};

TEST_F(Installer, InstallsForTheUserStartsAndUninstallsKeepingOnlyTheLibrary) {
  const std::wstring setup = DistFile(std::wstring(L"Tavelin-") + kVersion + L"-setup.exe");
  ASSERT_TRUE(FileExists(setup)) << "no installer in build\\dist: run ./package first";
  ASSERT_EQ(RunAndWait(L"\"" + setup + L"\" /S", 120000), 0);

  // The program folder, byte for byte, and the uninstaller.
  EXPECT_EQ(FolderNames(folder_),
            (std::vector<std::wstring>{L"Tavelin.chm", L"Tavelin.exe", L"data.dat", L"uninst.exe"}));
  for (const std::wstring& name : kProgramFiles)
    EXPECT_TRUE(ReadBytes(folder_ + L"\\" + name) == ReadBytes(ProgramUnderTest::BuildFolder() + name))
        << "installed " << std::string(name.begin(), name.end()) << " differs";

  EXPECT_TRUE(SamePath(ShortcutTarget(shortcut_), program_)) << "shortcut points at " << ShortcutTarget(shortcut_);

  const HKEY user = HKEY_CURRENT_USER;
  EXPECT_EQ(RegistryText(user, kUninstallKey, L"DisplayName"), L"Tavelin Player");
  EXPECT_EQ(RegistryText(user, kUninstallKey, L"DisplayVersion"), kVersion);
  EXPECT_EQ(RegistryText(user, kUninstallKey, L"Publisher"), L"Tavelin");
  const auto icon = RegistryText(user, kUninstallKey, L"DisplayIcon");
  EXPECT_TRUE(icon && SamePath(*icon, program_ + L",0"));
  const auto uninstall = RegistryText(user, kUninstallKey, L"UninstallString");
  EXPECT_TRUE(uninstall && SamePath(*uninstall, L"\"" + folder_ + L"\\uninst.exe\""));
  const auto quiet = RegistryText(user, kUninstallKey, L"QuietUninstallString");
  ASSERT_TRUE(quiet && SamePath(*quiet, L"\"" + folder_ + L"\\uninst.exe\" /S"));
  // In KB: the three program files come to well over a megabyte, and not to a hundred.
  const auto size = RegistryNumber(user, kUninstallKey, L"EstimatedSize");
  ASSERT_TRUE(size);
  EXPECT_GT(*size, 1000u);
  EXPECT_LT(*size, 100000u);

  // Started from its folder, the program shows its window and, on closing, writes its
  // library beside itself: the folder is the user's to write.
  {
    ProgramUnderTest program;
    ASSERT_TRUE(program.StartExecutable(program_));
    const HWND window = program.WaitForWindow(win32::kMainWindowClass, 30000);
    ASSERT_NE(window, nullptr) << "the installed program showed no main window";
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(15000), 0);
  }
  const std::wstring library = folder_ + L"\\Tavelin.ini";
  ASSERT_TRUE(FileExists(library));
  const auto libraryBytes = ReadBytes(library);

  // This install's association goes with it; another copy's stays.
  Associate(HKEY_CURRENT_USER, program_);
  const std::wstring otherCopy = L"D:\\Other\\Tavelin.exe";
  Associate(HKEY_LOCAL_MACHINE, otherCopy);

  ASSERT_EQ(RunAndWait(*quiet, 60000), 0);
  ASSERT_TRUE(WaitUntilUninstalled(60000)) << "the uninstaller did not finish";
  EXPECT_EQ(FolderNames(folder_), std::vector<std::wstring>{L"Tavelin.ini"});
  EXPECT_TRUE(ReadBytes(library) == libraryBytes) << "the library changed";
  EXPECT_FALSE(FileExists(shortcut_));
  EXPECT_FALSE(RegistryKeyExists(user, kClass));
  EXPECT_FALSE(RegistryKeyExists(user, kExtension));
  EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, kClass + L"\\shell\\Tavelin&F\\command", nullptr), otherCopy + L" %1");
  EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, kExtension, nullptr), L"ShockwaveFlash.ShockwaveFlash");
}

}  // namespace
}  // namespace tavelin::e2e
