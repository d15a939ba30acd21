// "关联 swf 文件到 Tavelin": the registry script it writes and the editor it starts.
#include <gtest/gtest.h>

#include "integration/file_association.h"
#include "support/main_window_fixture.h"

namespace tavelin::testing {
namespace {

const std::string kHead =
    "REGEDIT4\r\n[HKEY_CLASSES_ROOT\\ShockwaveFlash.ShockwaveFlash\\shell]\r\n@=\"Tavelin&F\"\r\n"
    "[HKEY_CLASSES_ROOT\\.swf]\r\n@=\"ShockwaveFlash.ShockwaveFlash\"\r\n"
    "[HKEY_CLASSES_ROOT\\ShockwaveFlash.ShockwaveFlash\\DefaultIcon]\r\n@=\"";
const std::string kMiddle = ",0\"\r\n[HKEY_CLASSES_ROOT\\ShockwaveFlash.ShockwaveFlash\\shell\\Tavelin&F\\command]\r\n@=\"";

class FileAssociationTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    desktop.strings = {{association::kScriptHeadText, kHead}, {association::kScriptMiddleText, kMiddle}};
    cwin.Load("");
  }
  void Associate() {
    window.fileListMenuChoice = "mFL_RegPlayer";
    cwin.Library().ListEvents().FL_MouseDown(2, 0, -1);
  }
  // The script for a program at `escaped` (already escaped), as text.
  static std::string Script(const std::string& escaped) {
    return kHead + escaped + kMiddle + "\\\"" + escaped + "\\\" %1\"\r\n";
  }
  static std::u16string Ascii16(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }
  std::string Ansi(const std::string& utf8) {
    std::string out;
    EXPECT_TRUE(codePage.FromUtf8(utf8, out));
    return out;
  }
};

TEST_F(FileAssociationTest, WritesTheScriptForTheProgramsFolderAndImportsItSilently) {
  files.SetProgramPath("C:\\Program Files\\Tavelin", "Tavelin");
  Associate();
  // Spaces stay; the program is quoted in the verb's command, the movie is not.
  const std::string escaped = "C:\\\\Program Files\\\\Tavelin\\\\Tavelin.exe";
  EXPECT_EQ(files.Content("C:\\flash.reg"), Script(escaped));
  EXPECT_NE(files.Content("C:\\flash.reg").find("@=\"\\\"C:\\\\Program Files\\\\Tavelin\\\\Tavelin.exe\\\" %1\"\r\n"),
            std::string::npos);
  ASSERT_EQ(desktop.shellStarts.size(), 1u);
  EXPECT_EQ(desktop.shellStarts[0].program, "regedit.exe");
  EXPECT_EQ(desktop.shellStarts[0].parameters, "/s c:\\flash.reg");
  EXPECT_EQ(desktop.shellStarts[0].show, ShowState::kMinimizedWithFocus);
  EXPECT_TRUE(desktop.shellStarts[0].announceAssociations);
  EXPECT_TRUE(desktop.processes.empty());

  // Again: the same script replaces the first one.
  files.AddFile("C:\\flash.reg", "old", attr::kArchive);
  Associate();
  EXPECT_EQ(files.Content("C:\\flash.reg"), Script(escaped));
  EXPECT_EQ(desktop.shellStarts.size(), 2u);

  // A program in a drive's root, under another name.
  files.SetProgramPath("D:\\", "player");
  Associate();
  EXPECT_EQ(files.Content("C:\\flash.reg"), Script("D:\\\\player.exe"));
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FileAssociationTest, WritesChineseInTheAnsiCodePageAndOtherTextAsAUnicodeScript) {
  files.SetProgramPath("C:\\游戏\\播放器", "Tavelin");
  Associate();
  EXPECT_EQ(files.Content("C:\\flash.reg"), Ansi(Script("C:\\\\游戏\\\\播放器\\\\Tavelin.exe")));

  // Hangul has no place in code page 936: the script becomes Unicode, header and all.
  files.SetProgramPath("C:\\한글", "Tavelin");
  Associate();
  const std::u16string path = u"C:\\\\한글\\\\Tavelin.exe";
  const std::u16string text = u"\uFEFFWindows Registry Editor Version 5.00\r\n" +
                              Ascii16(kHead.substr(std::string("REGEDIT4\r\n").size())) + path + Ascii16(kMiddle) +
                              u"\\\"" + path + u"\\\" %1\"\r\n";
  std::string utf16le;
  for (char16_t c : text) {
    utf16le += static_cast<char>(c & 0xFF);
    utf16le += static_cast<char>(c >> 8);
  }
  EXPECT_EQ(files.Content("C:\\flash.reg"), utf16le);
  EXPECT_EQ(desktop.shellStarts.size(), 2u);
}

TEST_F(FileAssociationTest, FallsBackToTheTemporaryFolderAndFailsSilently) {
  files.AddFolder("C:\\users\\user\\Temp");
  files.FailNext("WriteFile", "拒绝访问。");
  Associate();
  EXPECT_FALSE(files.Contains("C:\\flash.reg"));
  EXPECT_EQ(files.Content("C:\\users\\user\\Temp\\flash.reg"), Script("C:\\\\Program Files\\\\Tavelin\\\\Tavelin.exe"));
  ASSERT_EQ(desktop.shellStarts.size(), 1u);
  EXPECT_EQ(desktop.shellStarts[0].parameters, "/s C:\\users\\user\\Temp\\flash.reg");

  // A temporary folder with spaces is quoted for the editor.
  files.AddFolder("C:\\Documents and Settings\\Temp");
  desktop.temporaryFolder = "C:\\Documents and Settings\\Temp";
  files.FailNext("WriteFile", "拒绝访问。");
  Associate();
  EXPECT_EQ(desktop.shellStarts.back().parameters, "/s \"C:\\Documents and Settings\\Temp\\flash.reg\"");

  // Nothing writable, or no script texts: nothing starts, and nothing is said.
  files.FailNext("WriteFile", "拒绝访问。");
  desktop.temporaryFolder = "Q:\\nowhere\\";
  Associate();
  desktop.strings.clear();
  Associate();
  EXPECT_EQ(desktop.shellStarts.size(), 2u);
  EXPECT_TRUE(dialogs.messages.empty());

  // The next start removes what the association left.
  FakeWorld next;
  next.files.AddFolder("C:\\users\\user\\Temp");
  next.files.AddFile("C:\\flash.reg", "REGEDIT4", attr::kHidden);
  next.files.AddFile("C:\\users\\user\\Temp\\flash.reg", "REGEDIT4");
  next.cwin.Load("");
  EXPECT_FALSE(next.files.Contains("C:\\flash.reg"));
  EXPECT_FALSE(next.files.Contains("C:\\users\\user\\Temp\\flash.reg"));
}

TEST_F(FileAssociationTest, AProgramOnAFloppyDriveDoesNothing) {
  for (const char* folder : {"A:\\", "B:\\Tavelin", "a:\\Tavelin"}) {
    files.SetProgramPath(folder, "Tavelin");
    Associate();
  }
  EXPECT_FALSE(files.Contains("C:\\flash.reg"));
  EXPECT_TRUE(desktop.shellStarts.empty());
}

}  // namespace
}  // namespace tavelin::testing
