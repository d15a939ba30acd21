#include "win32/windows_api.h"

#include <gtest/gtest.h>

#include "win32/code_page.h"
#include "win32/text.h"

namespace tavelin::win32 {
namespace {

TEST(Text, RoundTripsChineseAndCharactersOutsideTheBasicPlane) {
  const std::string text = "播放器 猫和老鼠 \xF0\x9F\x8E\xAC.swf";  // ends with a clapper board, a surrogate pair
  const std::wstring wide = Widen(text);
  EXPECT_EQ(wide.size(), 3u + 1 + 4 + 1 + 2 + 4);
  EXPECT_EQ(Narrow(wide), text);
  EXPECT_EQ(Widen(""), L"");
}

// The tests run with the Simplified Chinese locale, as the program's users do.
TEST(AnsiCodePage, IsCodePage936AndReportsCharactersItCannotHold) {
  EXPECT_EQ(GetACP(), 936u);
  AnsiCodePage cp;
  std::string ansi;
  EXPECT_TRUE(cp.FromUtf8("搜索结果", ansi));
  EXPECT_EQ(ansi, "\xCB\xD1\xCB\xF7\xBD\xE1\xB9\xFB");
  EXPECT_EQ(cp.ToUtf8(ansi), "搜索结果");
  EXPECT_FALSE(cp.FromUtf8("한국어", ansi));
  // Code page 936 has "é" but not "É", which the system would silently write as "é"
  // (a best fit): a path written so names a file that does not exist.
  EXPECT_FALSE(cp.FromUtf8("D:\\Émile\\a.swf", ansi));
  EXPECT_FALSE(cp.FromUtf8("\xC2\xB2.swf", ansi));  // superscript two, best fit "2"
  EXPECT_TRUE(cp.FromUtf8("D:\\émile\\a.swf", ansi));
  EXPECT_TRUE(cp.FromUtf8("", ansi));
  EXPECT_EQ(ansi, "");
}

}  // namespace
}  // namespace tavelin::win32
