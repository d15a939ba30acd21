#include "shell/command_line.h"

#include <gtest/gtest.h>

namespace tavelin {
namespace {

using Paths = std::vector<std::string>;

TEST(CommandLine, SplitsUnquotedPathsWithSpacesAtEachMovieExtension) {
  EXPECT_EQ(CommandLineMoviePaths("C:\\My Movies\\a.swf D:\\b.swf"), (Paths{"C:\\My Movies\\a.swf", "D:\\b.swf"}));
  EXPECT_EQ(CommandLineMoviePaths("C:\\a.swf"), (Paths{"C:\\a.swf"}));
}

TEST(CommandLine, MatchesTheExtensionInAnyCaseAndReturnsItInSmallLetters) {
  EXPECT_EQ(CommandLineMoviePaths("C:\\A.SWF D:\\Films\\b.Swf"), (Paths{"C:\\A.swf", "D:\\Films\\b.swf"}));
}

TEST(CommandLine, EmptyOrBlankCommandLineNamesNothing) {
  EXPECT_EQ(CommandLineMoviePaths(""), Paths{});
  EXPECT_EQ(CommandLineMoviePaths("   "), Paths{});
  EXPECT_EQ(CommandLineMoviePaths("C:\\a.swf  "), (Paths{"C:\\a.swf"}));
}

TEST(CommandLine, QuotedPathKeepsItsQuotesAndSoMatchesNoFile) {
  EXPECT_EQ(CommandLineMoviePaths("\"C:\\a b.swf\""), (Paths{"\"C:\\a b.swf\" .swf"}));
}

TEST(CommandLine, ExtensionInsideANameDoesNotSplitUnlessASpaceFollows) {
  EXPECT_EQ(CommandLineMoviePaths("C:\\x.swfs\\a.swf"), (Paths{"C:\\x.swfs\\a.swf"}));
  EXPECT_EQ(CommandLineMoviePaths("C:\\x.swf y\\a.swf"), (Paths{"C:\\x.swf", "y\\a.swf"}));
}

TEST(CommandLine, TextAfterTheLastMovieBecomesACandidateOfItsOwn) {
  EXPECT_EQ(CommandLineMoviePaths("C:\\a.swf notes.txt"), (Paths{"C:\\a.swf", "notes.txt .swf"}));
}

TEST(CommandLine, KeepsNonAsciiNamesIntact) {
  EXPECT_EQ(CommandLineMoviePaths("D:\\动画\\猫和老鼠.swf E:\\ゲーム.SWF"), (Paths{"D:\\动画\\猫和老鼠.swf", "E:\\ゲーム.swf"}));
}

}  // namespace
}  // namespace tavelin
