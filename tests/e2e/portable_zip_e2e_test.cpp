// The portable zip: the program folder and nothing else, and a program that starts
// from wherever it is unpacked.
#include <gtest/gtest.h>

#include "program_under_test.h"
#include "shipped_files.h"
#include "win32/main_window.h"
#include "zip_archive.h"

namespace tavelin::e2e {
namespace {

TEST(PortableZip, HoldsTheProgramFolderAndStartsWhereItIsUnpacked) {
  const auto archive = ReadBytes(DistFile(std::wstring(L"Tavelin-") + kVersion + L".zip"));
  ASSERT_TRUE(archive) << "no zip in build\\dist: run ./package first";
  const auto entries = ReadZip(*archive);
  ASSERT_TRUE(entries) << "the zip cannot be read";

  std::vector<std::string> names;
  for (const ZipEntry& entry : *entries) names.push_back(entry.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Tavelin/Tavelin.exe", "Tavelin/data.dat", "Tavelin/Tavelin.chm"}));

  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring root = std::wstring(temp) + L"tavelin-portable-" + std::to_wstring(GetCurrentProcessId());
  const std::wstring folder = root + L"\\Tavelin";
  RemoveTree(root);
  ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr) && CreateDirectoryW(folder.c_str(), nullptr));
  for (const ZipEntry& entry : *entries) {
    const std::wstring name(entry.name.begin() + entry.name.find('/') + 1, entry.name.end());
    EXPECT_TRUE(ReadBytes(ProgramUnderTest::BuildFolder() + name) == entry.bytes) << entry.name << " differs";
    ASSERT_TRUE(WriteBytes(folder + L"\\" + name, entry.bytes));
  }

  {
    ProgramUnderTest program;
    ASSERT_TRUE(program.StartExecutable(folder + L"\\Tavelin.exe"));
    const HWND window = program.WaitForWindow(win32::kMainWindowClass, 30000);
    EXPECT_NE(window, nullptr) << "the unpacked program showed no main window";
    if (window) {
      PostMessageW(window, WM_CLOSE, 0, 0);
      EXPECT_EQ(program.WaitForExit(15000), 0);
    }
  }
  EXPECT_TRUE(RemoveTree(root));
}

}  // namespace
}  // namespace tavelin::e2e
