// What ships: Tavelin.exe carries its icon, its common-controls manifest and its
// version, and imports nothing but the system's own DLLs.
#include "win32/windows_api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <set>
#include <string>
#include <vector>

namespace tavelin::e2e {
namespace {

std::wstring ProgramPath() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self);
  return path.substr(0, path.find_last_of(L'\\') + 1) + L"Tavelin.exe";
}

class ShippedProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }
  HMODULE module_ = nullptr;
};

TEST_F(ShippedProgram, CarriesItsIconAndTheCommonControlsManifest) {
  EXPECT_NE(FindResourceW(module_, MAKEINTRESOURCEW(1), RT_GROUP_ICON), nullptr);
  HRSRC manifest = FindResourceW(module_, MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_NE(manifest, nullptr);
  const auto* text = static_cast<const char*>(LockResource(LoadResource(module_, manifest)));
  const std::string xml(text, SizeofResource(module_, manifest));
  EXPECT_NE(xml.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(xml.find("version=\"6.0.0.0\""), std::string::npos);
}

TEST(ShippedVersion, Is9_3_235_2) {
  const std::wstring path = ProgramPath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, data.data()));
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length));
  EXPECT_EQ(info->dwFileVersionMS, (9u << 16) | 3u);
  EXPECT_EQ(info->dwFileVersionLS, (235u << 16) | 2u);
}

// Reads the import directory straight from the file, so nothing is loaded or run.
TEST(ShippedImports, AreSystemDllsOnly) {
  HANDLE file = CreateFileW(ProgramPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY | SEC_IMAGE, 0, 0, nullptr);
  ASSERT_NE(mapping, nullptr);
  auto* base = static_cast<const BYTE*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
  ASSERT_NE(base, nullptr);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
  const auto& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  const std::set<std::wstring> system{L"kernel32.dll", L"user32.dll",  L"gdi32.dll",    L"comctl32.dll",
                                      L"msvcrt.dll",   L"shell32.dll", L"comdlg32.dll", L"advapi32.dll",
                                      L"winmm.dll",    L"ole32.dll",   L"version.dll",  L"shlwapi.dll",
                                      L"msacm32.dll", L"wininet.dll"};
  int count = 0;
  for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); entry->Name;
       ++entry, ++count) {
    std::string name(reinterpret_cast<const char*>(base + entry->Name));
    std::wstring lower(name.begin(), name.end());
    std::transform(lower.begin(), lower.end(), lower.begin(), [](wchar_t c) { return std::towlower(c); });
    EXPECT_TRUE(system.count(lower)) << name << " is not a system DLL";
  }
  EXPECT_GT(count, 0);
  UnmapViewOfFile(base);
  CloseHandle(mapping);
  CloseHandle(file);
}

}  // namespace
}  // namespace tavelin::e2e
