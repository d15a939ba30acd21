// The fakes and the movie writer carry many later tests, so their own behaviour is pinned here.
#include <gtest/gtest.h>

#include "platform/failure.h"
#include "support/fake_file_system.h"
#include "support/iconv_code_page.h"
#include "support/swf_writer.h"

namespace tavelin::testing {
namespace {

TEST(FakeFileSystem, ListsInCreationOrderMatchingWildcardsWithoutRegardToCase) {
  FakeFileSystem fs;
  fs.AddFile("C:\\M\\b.SWF", "x");
  fs.AddFile("C:\\M\\a.swf", "xy", attr::kHidden);
  fs.AddFile("C:\\M\\c.exe");
  fs.AddFolder("C:\\M\\sub.swf");
  const auto entries = fs.List("c:\\m\\*.swf");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "b.SWF");
  EXPECT_EQ(entries[1].name, "a.swf");
  EXPECT_EQ(entries[1].size, 2u);
  EXPECT_EQ(entries[1].attributes, attr::kHidden);
  EXPECT_NE(entries[2].attributes & attr::kDirectory, 0u);
  EXPECT_TRUE(fs.List("C:\\Nowhere\\*.swf").empty());
  EXPECT_EQ(fs.List("C:\\M\\A.SWF").size(), 1u);
  EXPECT_TRUE(fs.FileExists("c:\\m\\A.swf"));
  EXPECT_FALSE(fs.FileExists("C:\\M\\sub.swf"));
  EXPECT_TRUE(fs.FolderExists("C:\\M\\sub.swf\\"));
  EXPECT_TRUE(fs.FolderExists("C:\\"));
}

TEST(FakeFileSystem, WritesFailLikeWindowsDoes) {
  FakeFileSystem fs;
  const std::vector<std::uint8_t> n{'n'};
  fs.AddFile("C:\\ro.txt", "old", attr::kReadOnly);
  EXPECT_THROW(fs.WriteFile("C:\\ro.txt", n), Failure);
  EXPECT_EQ(fs.Content("C:\\ro.txt"), "old");
  EXPECT_THROW(fs.WriteFile("C:\\missing\\x.txt", n), Failure);
  fs.SetAttributesNormal("C:\\ro.txt");
  fs.WriteFile("C:\\ro.txt", n);
  EXPECT_EQ(fs.Content("C:\\ro.txt"), "n");

  fs.FailNext("Rename", "磁盘已满。");
  try {
    fs.Rename("C:\\ro.txt", "C:\\new.txt");
    FAIL();
  } catch (const Failure& f) {
    EXPECT_STREQ(f.what(), "磁盘已满。");
  }
  fs.Rename("C:\\ro.txt", "C:\\new.txt");
  EXPECT_FALSE(fs.Contains("C:\\ro.txt"));
  EXPECT_EQ(fs.Content("C:\\NEW.txt"), "n");
  fs.DeleteToRecycleBin("C:\\new.txt");
  EXPECT_EQ(fs.Recycled(), std::vector<std::string>{"C:\\new.txt"});
}

TEST(FakeFileSystem, ReportsDriveTypesOfConfiguredLettersOnly) {
  FakeFileSystem fs;
  fs.SetDriveType('A', DriveType::kRemovable);
  fs.SetDriveType('Z', DriveType::kRemote);
  EXPECT_EQ(fs.GetDriveType("a:\\"), DriveType::kRemovable);
  EXPECT_EQ(fs.GetDriveType("C:\\"), DriveType::kFixed);
  EXPECT_EQ(fs.GetDriveType("Z:\\"), DriveType::kRemote);
  EXPECT_EQ(fs.GetDriveType("Q:\\"), DriveType::kNoRoot);
}

TEST(IconvCodePage, ConvertsChineseBothWaysAndFlagsWhatCp936CannotHold) {
  IconvCodePage cp;
  std::string ansi;
  EXPECT_TRUE(cp.FromUtf8("搜索结果 C:\\a.swf", ansi));
  EXPECT_EQ(ansi, "\xCB\xD1\xCB\xF7\xBD\xE1\xB9\xFB C:\\a.swf");
  EXPECT_EQ(cp.ToUtf8(ansi), "搜索结果 C:\\a.swf");
  EXPECT_FALSE(cp.FromUtf8("한국어 a", ansi));
  EXPECT_EQ(ansi, "??? a");
  EXPECT_EQ(cp.ToUtf8("\x81"), "\xEF\xBF\xBD");
}

TEST(SwfWriter, WritesTheDeclaredLengthAndFrameCount) {
  const auto file = SwfWriter().StagePixels(100, 50).ShowFrame().ShowFrame().Bytes();
  const std::uint32_t declared = file[4] | file[5] << 8 | file[6] << 16 | static_cast<std::uint32_t>(file[7]) << 24;
  EXPECT_EQ(declared, file.size());
  const std::size_t countAt = file.size() - 2 /*End*/ - 4 /*two ShowFrame*/ - 2;
  EXPECT_EQ(file[countAt], 2);
  EXPECT_EQ(file[countAt + 1], 0);
}

}  // namespace
}  // namespace tavelin::testing
