// The projector tools against real files under Wine: ranges copied through the port's
// buffer, offsets past 4 GB, and a gigabyte projector scanned without reading it whole.
#include "win32/ports/file_system.h"

#include <winioctl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "projector/projector_tools.h"
#include "support/fake_dialogs.h"
#include "win32/code_page.h"
#include "win32/ports/desktop.h"
#include "win32/ports/system_error.h"
#include "win32/text.h"

namespace tavelin::win32 {
namespace {

using Bytes = std::vector<std::uint8_t>;

class ProjectorFiles : public ::testing::Test, protected ProjectorHost {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
    wchar_t unique[64];
    swprintf(unique, 64, L"tavelin-projector-%lu-%lu", GetCurrentProcessId(), GetTickCount());
    folder_ = Narrow(temp) + Narrow(unique);
    ASSERT_TRUE(CreateDirectoryW(Widen(folder_).c_str(), nullptr));
  }
  void TearDown() override {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Widen(folder_ + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring child = Widen(folder_) + L"\\" + data.cFileName;
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(child.c_str());
      } while (FindNextFileW(find, &data));
      FindClose(find);
    }
    RemoveDirectoryW(Widen(folder_).c_str());
  }

  void Play(const std::string& file) override { played.push_back(file); }
  int ShowMessage(const std::string& text, int, const std::string&) override {
    messages.push_back(text);
    return 1;
  }
  std::string ProgramFolder() override { return folder_ + "\\"; }

  std::string In(const std::string& name) const { return folder_ + "\\" + name; }
  Bytes Content(const std::string& path) { return fs_.ReadFile(path, std::size_t{1} << 30); }

  // A file of `size` bytes holding `pieces` at their offsets and nothing written
  // elsewhere, so the system keeps it sparse.
  void WriteSparse(const std::string& path, std::uint64_t size, const std::vector<std::pair<std::uint64_t, Bytes>>& pieces) {
    HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD ignored = 0;
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    for (const auto& [offset, bytes] : pieces) {
      LARGE_INTEGER at{};
      at.QuadPart = static_cast<LONGLONG>(offset);
      SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
      DWORD written = 0;
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
  }

  Win32FileSystem fs_;
  testing::FakeDialogs dialogs_;
  Win32Desktop desktop_;
  AnsiCodePage codePage_;
  ProjectorTools tools_{Ports{fs_, dialogs_, desktop_, codePage_}, *this};
  std::string folder_;
  std::vector<std::string> played, messages;
};

TEST_F(ProjectorFiles, RangesAreCopiedAndAppendedWholeOrFailWithTheSystemsText) {
  Bytes source((3u << 20) + 123);
  for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<std::uint8_t>(i * 7 + (i >> 9));
  fs_.WriteFile(In("source.bin"), source);

  // More than the copy buffer, from an odd offset, then appended to.
  const std::size_t length = (5u << 19) + 3;
  fs_.CopyFileRange(In("source.bin"), 5, length, In("out.bin"), false);
  fs_.CopyFileRange(In("source.bin"), 0, 10, In("out.bin"), true);
  Bytes expected(length + 10);
  std::copy_n(source.begin() + 5, length, expected.begin());
  std::copy_n(source.begin(), 10, expected.begin() + static_cast<std::ptrdiff_t>(length));
  EXPECT_EQ(Content(In("out.bin")), expected);
  fs_.CopyFileRange(In("source.bin"), 1, 4, In("out.bin"), false);  // a longer target is replaced whole
  EXPECT_EQ(Content(In("out.bin")), Bytes(source.begin() + 1, source.begin() + 5));

  auto failure = [&](auto&& copy) {
    try {
      copy();
    } catch (const Failure& f) {
      return std::string(f.what());
    }
    return std::string("no failure");
  };
  EXPECT_EQ(failure([&] { fs_.CopyFileRange(In("source.bin"), source.size() - 3, 10, In("past.bin"), false); }),
            SystemErrorText(ERROR_HANDLE_EOF));
  EXPECT_EQ(failure([&] { fs_.CopyFileRange(In("missing.bin"), 0, 1, In("past.bin"), false); }),
            SystemErrorText(ERROR_FILE_NOT_FOUND));
  SetFileAttributesW(Widen(In("out.bin")).c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(failure([&] { fs_.CopyFileRange(In("source.bin"), 0, 100, In("out.bin"), false); }),
            SystemErrorText(ERROR_ACCESS_DENIED));
  EXPECT_EQ(Content(In("out.bin")).size(), 4u);

  // Offsets past 4 GB, in a sparse file.
  const std::uint64_t pastFourGigabytes = (std::uint64_t{5} << 30) + 7;
  WriteSparse(In("pastFourGigabytes.bin"), pastFourGigabytes + 4, {{pastFourGigabytes, Bytes{'F', 'W', 'S', '!'}}});
  Bytes read(8, 0xEE);
  EXPECT_EQ(fs_.ReadFileAt(In("pastFourGigabytes.bin"), pastFourGigabytes - 2, read), 6u);
  EXPECT_EQ(read, (Bytes{0, 0, 'F', 'W', 'S', '!', 0xEE, 0xEE}));
}

TEST_F(ProjectorFiles, AGigabyteProjectorGivesUpItsMovieAndAnEmptyOneNothing) {
  const std::uint64_t size = std::uint64_t{1} << 30;
  Bytes movie(1000, 'm');
  movie[0] = 'F', movie[1] = 'W', movie[2] = 'S';
  WriteSparse(In("big.exe"), size, {{0, Bytes(4096, 'x')}, {size - movie.size(), movie}});
  tools_.ExtractSwf(In("big.exe"), In("big.swf"), true);
  EXPECT_EQ(Content(In("big.swf")), movie);
  EXPECT_EQ(played, std::vector<std::string>{In("big.swf")});

  fs_.WriteFile(In("empty.exe"), {});
  tools_.ExtractSwf(In("empty.exe"), In("empty.swf"), true);
  EXPECT_FALSE(fs_.FileExists(In("empty.swf")));

  EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace tavelin::win32
