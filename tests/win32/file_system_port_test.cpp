#include "win32/ports/file_system.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <algorithm>
#include <set>

#include "platform/failure.h"
#include "win32/ports/long_path.h"
#include "win32/ports/system_error.h"
#include "win32/text.h"

namespace tavelin::win32 {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes BytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

std::wstring Verbatim(const std::string& path) { return L"\\\\?\\" + Widen(path); }

DWORD AttributesOf(const std::string& path) { return GetFileAttributesW(Verbatim(path).c_str()); }

// Removes a folder and all it holds, long names and read-only files included.
void RemoveTree(const std::wstring& verbatimFolder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((verbatimFolder + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = verbatimFolder + L"\\" + name;
      SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(verbatimFolder.c_str());
}

// Each test works in a fresh folder under the temporary folder.
class FileSystemPort : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
    std::wstring base = temp;
    if (base.back() == L'\\') base.pop_back();
    wchar_t unique[64];
    swprintf(unique, 64, L"\\tavelin-fs-%lu-%lu", GetCurrentProcessId(), GetTickCount());
    folder_ = Narrow(base + unique);
    ASSERT_TRUE(CreateDirectoryW(Widen(folder_).c_str(), nullptr));
  }
  void TearDown() override {
    if (!folder_.empty()) RemoveTree(Verbatim(folder_));
  }

  std::string In(const std::string& name) const { return folder_ + "\\" + name; }

  void MakeFolder(const std::string& path) { ASSERT_TRUE(CreateDirectoryW(Verbatim(path).c_str(), nullptr)); }

  Win32FileSystem fs_;
  std::string folder_;
};

TEST_F(FileSystemPort, ExistenceCountsHiddenAndReadOnlyFilesButNotFolders) {
  const std::string hidden = In("hidden.swf");
  const std::string readOnly = In("readonly.swf");
  const std::string folder = In("movies");
  fs_.WriteFile(hidden, BytesOf("h"));
  fs_.WriteFile(readOnly, BytesOf("r"));
  MakeFolder(folder);
  ASSERT_TRUE(SetFileAttributesW(Widen(hidden).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(SetFileAttributesW(Widen(readOnly).c_str(), FILE_ATTRIBUTE_READONLY));

  EXPECT_TRUE(fs_.FileExists(hidden));
  EXPECT_TRUE(fs_.FileExists(readOnly));
  EXPECT_FALSE(fs_.FileExists(folder));
  EXPECT_FALSE(fs_.FileExists(In("missing.swf")));

  EXPECT_TRUE(fs_.FolderExists(folder));
  EXPECT_TRUE(fs_.FolderExists(folder + "\\"));
  EXPECT_TRUE(fs_.FolderExists("C:\\"));
  EXPECT_FALSE(fs_.FolderExists(hidden));
  EXPECT_FALSE(fs_.FolderExists(In("missing")));
  EXPECT_EQ(fs_.GetDriveType("C:\\"), DriveType::kFixed);
  EXPECT_EQ(fs_.GetDriveType("C:"), DriveType::kFixed);
}

TEST_F(FileSystemPort, SetAttributesNormalClearsReadOnlyHiddenAndSystemOfFilesAndFolders) {
  const std::string file = In("locked.swf");
  const std::string folder = In("hidden folder");
  fs_.WriteFile(file, BytesOf("x"));
  MakeFolder(folder);
  ASSERT_TRUE(SetFileAttributesW(Widen(file).c_str(),
                                 FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(SetFileAttributesW(Widen(folder).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
  EXPECT_THROW(fs_.DeleteFile(file), Failure);

  fs_.SetAttributesNormal(file);
  fs_.SetAttributesNormal(folder);

  constexpr DWORD kCleared = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  EXPECT_EQ(AttributesOf(file) & kCleared, 0u);
  EXPECT_EQ(AttributesOf(folder) & kCleared, 0u);
  EXPECT_NE(AttributesOf(folder) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_TRUE(fs_.FolderExists(folder));
  fs_.DeleteFile(file);
  EXPECT_FALSE(fs_.FileExists(file));
  EXPECT_THROW(fs_.SetAttributesNormal(In("missing.swf")), Failure);
}

TEST_F(FileSystemPort, ListMatchesWildcardsWithSizesAttributesAndWriteTimes) {
  fs_.WriteFile(In("a.swf"), BytesOf("abc"));
  fs_.WriteFile(In("b.swf"), {});
  fs_.WriteFile(In("c.txt"), BytesOf("not a movie"));
  MakeFolder(In("d.swf"));
  ASSERT_TRUE(SetFileAttributesW(Widen(In("b.swf")).c_str(), FILE_ATTRIBUTE_HIDDEN));

  // A known write time and a size beyond 32 bits on a.swf.
  HANDLE file = CreateFileW(Widen(In("a.swf")).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  SYSTEMTIME when{2020, 2, 0, 29, 13, 45, 30, 0};
  FILETIME written{};
  SystemTimeToFileTime(&when, &written);
  ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &written));
  LARGE_INTEGER bigSize{};
  bigSize.QuadPart = 0x100000005LL;
  const bool grown = SetFilePointerEx(file, bigSize, nullptr, FILE_BEGIN) && SetEndOfFile(file) &&
                     SetFileTime(file, nullptr, nullptr, &written);
  CloseHandle(file);
  ASSERT_TRUE(grown);

  std::vector<DirectoryEntry> entries = fs_.List(In("*.swf"));
  std::sort(entries.begin(), entries.end(), [](const auto& x, const auto& y) { return x.name < y.name; });
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "a.swf");
  EXPECT_EQ(entries[0].size, 0x100000005ull);
  const std::int64_t expectedTicks =
      static_cast<std::int64_t>((static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime);
  EXPECT_EQ(entries[0].lastWrite.ticks, expectedTicks);
  EXPECT_EQ(entries[0].attributes & attr::kDirectory, 0u);
  EXPECT_EQ(entries[1].name, "b.swf");
  EXPECT_EQ(entries[1].size, 0u);
  EXPECT_NE(entries[1].attributes & attr::kHidden, 0u);
  EXPECT_EQ(entries[2].name, "d.swf");
  EXPECT_NE(entries[2].attributes & attr::kDirectory, 0u);

  // Everything in the folder, never "." or "..".
  std::set<std::string> all;
  for (const DirectoryEntry& entry : fs_.List(In("*"))) all.insert(entry.name);
  EXPECT_EQ(all, (std::set<std::string>{"a.swf", "b.swf", "c.txt", "d.swf"}));

  // An exact name lists that one entry.
  const std::vector<DirectoryEntry> exact = fs_.List(In("c.txt"));
  ASSERT_EQ(exact.size(), 1u);
  EXPECT_EQ(exact[0].size, 11u);

  EXPECT_TRUE(fs_.List(In("*.exe")).empty());
  EXPECT_TRUE(fs_.List(In("no such folder\\*.swf")).empty());
}

TEST_F(FileSystemPort, NamesOutsideTheAnsiCodePageAreListedReadRenamedAndDeleted) {
  const std::string korean = "한국어 영화 \xF0\x9F\x8E\xAC.swf";  // ends with a clapper board emoji
  const std::string renamed = "새 이름 \xF0\x9F\x98\x80 猫.swf";
  fs_.WriteFile(In(korean), BytesOf("FWS\x06"));

  const std::vector<DirectoryEntry> listed = fs_.List(In("*.swf"));
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].name, korean);
  EXPECT_EQ(fs_.ReadFile(In(listed[0].name), 100), BytesOf("FWS\x06"));

  fs_.Rename(In(korean), In(renamed));
  EXPECT_FALSE(fs_.FileExists(In(korean)));
  ASSERT_TRUE(fs_.FileExists(In(renamed)));
  EXPECT_EQ(fs_.List(In("*\xF0\x9F\x98\x80*"))[0].name, renamed);

  fs_.CopyFile(In(renamed), In(korean));
  EXPECT_EQ(fs_.ReadFile(In(korean), 100), BytesOf("FWS\x06"));
  fs_.DeleteFile(In(renamed));
  fs_.DeleteToRecycleBin(In(korean));
  EXPECT_TRUE(fs_.List(In("*")).empty());
}

TEST_F(FileSystemPort, PathsLongerThanMaxPathAreWrittenReadListedAndRenamed) {
  std::string deep = folder_;
  for (int level = 0; level < 6; ++level) {
    deep += "\\" + std::string(40, static_cast<char>('a' + level)) + "长";
    MakeFolder(deep);
  }
  const std::string file = deep + "\\" + std::string(30, 'm') + ".swf";
  ASSERT_GT(Widen(file).size(), static_cast<std::size_t>(MAX_PATH));

  fs_.WriteFile(file, BytesOf("long"));
  fs_.AppendFile(file, BytesOf(" path"));
  EXPECT_TRUE(fs_.FileExists(file));
  EXPECT_TRUE(fs_.FolderExists(deep));
  EXPECT_TRUE(fs_.FolderExists(deep + "\\"));
  EXPECT_EQ(fs_.ReadFile(file, 1000), BytesOf("long path"));

  const std::vector<DirectoryEntry> listed = fs_.List(deep + "\\*.swf");
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].size, 9u);

  const std::string copy = deep + "\\copy.swf";
  const std::string moved = deep + "\\moved.swf";
  fs_.CopyFile(file, copy);
  fs_.Rename(file, moved);
  EXPECT_FALSE(fs_.FileExists(file));
  EXPECT_EQ(fs_.ReadFile(moved, 1000), fs_.ReadFile(copy, 1000));
  fs_.SetAttributesNormal(moved);
  // The shell's delete stops at MAX_PATH on Windows; the port refuses it everywhere,
  // with the system's reason, rather than rely on a shell that may take it.
  try {
    fs_.DeleteToRecycleBin(moved);
    ADD_FAILURE() << "the recycle bin took a path longer than MAX_PATH";
  } catch (const Failure& failure) {
    EXPECT_EQ(std::string(failure.what()), SystemErrorText(ERROR_FILENAME_EXCED_RANGE));
  }
  EXPECT_TRUE(fs_.FileExists(moved));
  fs_.DeleteFile(moved);
  EXPECT_FALSE(fs_.FileExists(moved));
}

TEST_F(FileSystemPort, RenameOntoAnExistingFileFailsAndLeavesBothFiles) {
  fs_.WriteFile(In("from.swf"), BytesOf("from"));
  fs_.WriteFile(In("to.swf"), BytesOf("to"));
  try {
    fs_.Rename(In("from.swf"), In("to.swf"));
    ADD_FAILURE() << "renaming onto an existing file succeeded";
  } catch (const Failure& failure) {
    EXPECT_STRNE(failure.what(), "");
    EXPECT_EQ(std::string(failure.what()), SystemErrorText(ERROR_ALREADY_EXISTS));
  }
  EXPECT_EQ(fs_.ReadFile(In("from.swf"), 100), BytesOf("from"));
  EXPECT_EQ(fs_.ReadFile(In("to.swf"), 100), BytesOf("to"));
}

TEST_F(FileSystemPort, WriteReplacesWholeFilesButNotReadOnlyOnes) {
  const std::string file = In("movie.swf");
  fs_.WriteFile(file, BytesOf("a longer first version"));
  fs_.WriteFile(file, BytesOf("short"));
  EXPECT_EQ(fs_.ReadFile(file, 1000), BytesOf("short"));
  EXPECT_EQ(fs_.ReadFile(file, 3), BytesOf("sho"));
  EXPECT_TRUE(fs_.ReadFile(file, 0).empty());

  // A hidden file is replaced and stays hidden.
  ASSERT_TRUE(SetFileAttributesW(Widen(file).c_str(), FILE_ATTRIBUTE_HIDDEN));
  fs_.WriteFile(file, BytesOf("hidden"));
  EXPECT_EQ(fs_.ReadFile(file, 1000), BytesOf("hidden"));
  EXPECT_NE(AttributesOf(file) & FILE_ATTRIBUTE_HIDDEN, 0u);

  ASSERT_TRUE(SetFileAttributesW(Widen(file).c_str(), FILE_ATTRIBUTE_READONLY));
  try {
    fs_.WriteFile(file, BytesOf("overwritten"));
    ADD_FAILURE() << "a read-only file was replaced";
  } catch (const Failure& failure) {
    EXPECT_EQ(std::string(failure.what()), SystemErrorText(ERROR_ACCESS_DENIED));
  }
  EXPECT_THROW(fs_.AppendFile(file, BytesOf("more")), Failure);
  fs_.WriteFile(In("other.swf"), BytesOf("other"));
  EXPECT_THROW(fs_.CopyFile(In("other.swf"), file), Failure);
  EXPECT_EQ(fs_.ReadFile(file, 1000), BytesOf("hidden"));
}

TEST_F(FileSystemPort, AppendCreatesThenExtendsAndCopyReplacesTheTarget) {
  const std::string log = In("log.txt");
  fs_.AppendFile(log, BytesOf("one"));
  fs_.AppendFile(log, BytesOf(" two"));
  EXPECT_EQ(fs_.ReadFile(log, 1000), BytesOf("one two"));

  const std::string target = In("target.txt");
  fs_.WriteFile(target, BytesOf("a much longer old target"));
  fs_.CopyFile(log, target);
  EXPECT_EQ(fs_.ReadFile(target, 1000), BytesOf("one two"));
  EXPECT_THROW(fs_.CopyFile(In("missing.txt"), target), Failure);
  EXPECT_EQ(fs_.ReadFile(target, 1000), BytesOf("one two"));
}

TEST_F(FileSystemPort, MissingFilesFailWithTheSystemsDescription) {
  try {
    fs_.ReadFile(In("missing.swf"), 10);
    ADD_FAILURE() << "reading a missing file succeeded";
  } catch (const Failure& failure) {
    EXPECT_EQ(std::string(failure.what()), SystemErrorText(ERROR_FILE_NOT_FOUND));
  }
  EXPECT_THROW(fs_.DeleteFile(In("missing.swf")), Failure);
  EXPECT_THROW(fs_.Rename(In("missing.swf"), In("other.swf")), Failure);
  EXPECT_THROW(fs_.WriteFile(In("no folder\\new.swf"), BytesOf("x")), Failure);
  EXPECT_FALSE(fs_.FileExists(In("other.swf")));
}

// The number of items in the recycle bin of drive C:, or -1 when the system cannot say.
long long RecycledItems() {
  SHQUERYRBINFO info{};
  info.cbSize = sizeof info;
  return SUCCEEDED(SHQueryRecycleBinW(L"C:\\", &info)) ? info.i64NumItems : -1;
}

TEST_F(FileSystemPort, RecycleBinDeleteMovesOneFileToTheBinAndRefusesWildcards) {
  fs_.WriteFile(In("old.swf"), BytesOf("old"));
  fs_.WriteFile(In("keep.swf"), BytesOf("keep"));
  const long long recycledBefore = RecycledItems();
  fs_.DeleteToRecycleBin(In("old.swf"));
  EXPECT_FALSE(fs_.FileExists(In("old.swf")));
  ASSERT_GE(recycledBefore, 0);
  EXPECT_EQ(RecycledItems(), recycledBefore + 1);

  EXPECT_THROW(fs_.DeleteToRecycleBin(In("*.swf")), Failure);
  EXPECT_TRUE(fs_.FileExists(In("keep.swf")));
  EXPECT_THROW(fs_.DeleteToRecycleBin(In("missing.swf")), Failure);
}

TEST_F(FileSystemPort, SystemAndProgramFoldersNameRealPlaces) {
  const std::string system = fs_.SystemFolder();
  ASSERT_FALSE(system.empty());
  EXPECT_NE(system.back(), '\\');
  EXPECT_TRUE(fs_.FolderExists(system));
  EXPECT_TRUE(fs_.FileExists(system + "\\kernel32.dll"));

  const std::string program = fs_.ProgramFolder();
  EXPECT_NE(program.back(), '\\');
  EXPECT_EQ(fs_.ExecutableBaseName(), "tavelin_win32_tests");
  EXPECT_TRUE(fs_.FileExists(program + "\\" + fs_.ExecutableBaseName() + ".exe"));
}

TEST(FileSystemPortPaths, LongPathsGetTheVerbatimPrefixAndShortOnesStayAsTheyAre) {
  EXPECT_EQ(SystemPath(std::string("C:\\Movies\\a.swf")), L"C:\\Movies\\a.swf");
  EXPECT_EQ(SystemPath(std::string("\\\\server\\share\\a.swf")), L"\\\\server\\share\\a.swf");

  const std::wstring name(300, L'x');
  EXPECT_EQ(SystemPath(L"C:\\Movies\\" + name), L"\\\\?\\C:\\Movies\\" + name);
  EXPECT_EQ(SystemPath(L"C:/Movies/./old/../" + name), L"\\\\?\\C:\\Movies\\" + name);
  EXPECT_EQ(SystemPath(L"\\\\server\\share\\" + name), L"\\\\?\\UNC\\server\\share\\" + name);
  EXPECT_EQ(SystemPath(L"\\\\?\\C:\\" + name), L"\\\\?\\C:\\" + name);
}

TEST(FileSystemPortErrors, DescriptionsAreTheSystemsTextWithoutTheLineBreak) {
  const std::string notFound = SystemErrorText(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(notFound.empty());
  EXPECT_NE(notFound.back(), '\n');
  EXPECT_NE(notFound.back(), '\r');
  EXPECT_NE(notFound, SystemErrorText(ERROR_ACCESS_DENIED));
  // The text is UTF-8 and survives the trip through UTF-16 unchanged.
  EXPECT_EQ(Narrow(Widen(notFound)), notFound);

  const std::string unknown = SystemErrorText(0x2FFFFFFF);
  EXPECT_NE(unknown.find("0x2FFFFFFF"), std::string::npos);

  SetLastError(ERROR_ACCESS_DENIED);
  try {
    ThrowLastError();
  } catch (const Failure& failure) {
    EXPECT_EQ(std::string(failure.what()), SystemErrorText(ERROR_ACCESS_DENIED));
  }
}

}  // namespace
}  // namespace tavelin::win32
