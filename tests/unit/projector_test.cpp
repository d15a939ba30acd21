#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "projector/projector_layout.h"
#include "projector/projector_tools.h"
#include "support/fake_world.h"

namespace tavelin {
namespace {

using projector::FindMovies;
using projector::Layout;
using projector::MoviePiece;

using Bytes = std::vector<std::uint8_t>;

// A stub of `size` bytes that cannot be taken for a marker or a signature ('x' everywhere).
Bytes Stub(std::size_t size) { return Bytes(size, 'x'); }

void PutSignature(Bytes& file, std::size_t at) {
  file[at] = 'F', file[at + 1] = 'W', file[at + 2] = 'S';
}

TEST(ProjectorLayout, TheFirstLayoutThatMatchesDecidesTheMovie) {
  Bytes marked = Stub(0x20000);
  marked[0x70] = 0, marked[0x71] = 0x01, marked[0x72] = 0x80, marked[0x73] = 0x00;
  EXPECT_EQ(FindMovies(marked).movies, (std::vector<MoviePiece>{{0x18000, 0x20000 - 0x18000}}));  // no signature there

  Bytes zeros = Stub(500);
  zeros[0x70] = zeros[0x71] = zeros[0x72] = zeros[0x73] = 0;
  EXPECT_EQ(FindMovies(zeros).movies, (std::vector<MoviePiece>{{0, 500}}));

  Bytes pastEnd = Stub(300);
  pastEnd[0x70] = 0, pastEnd[0x71] = 0, pastEnd[0x72] = 0x01, pastEnd[0x73] = 0x2C;  // offset 300
  EXPECT_TRUE(FindMovies(pastEnd).offsetPastEnd);

  Bytes exact = Stub(0x24000);  // a file exactly as long as the stub is not tested there
  EXPECT_EQ(FindMovies(exact).layout, Layout::kNone);
  Bytes known = Stub(0x24000 + 100);
  PutSignature(known, 0x24000);
  EXPECT_EQ(FindMovies(known).layout, Layout::kKnownStub);
  EXPECT_EQ(FindMovies(known).movies, (std::vector<MoviePiece>{{0x24000, 100}}));

  Bytes twoStubs = Stub(0x46100);
  PutSignature(twoStubs, 0x24000);
  PutSignature(twoStubs, 0x46000);
  EXPECT_EQ(FindMovies(twoStubs).movies, (std::vector<MoviePiece>{{0x24000, 0x46100 - 0x24000}}));

  Bytes low = Stub(3000);
  PutSignature(low, 1023);
  low[2998] = 'F', low[2999] = 'W';  // cut by the end of the file
  EXPECT_EQ(FindMovies(low).layout, Layout::kNone);
  EXPECT_EQ(projector::FindSwfSignature(low, 0), 1023u);
}

TEST(ProjectorLayout, AMatchingTrailerIsCutOffWhateverTheLayout) {
  Bytes file = Stub(0x24000);
  const Bytes movie{'F', 'W', 'S', 10, 1, 2, 3, 4, 5, 6};
  file.insert(file.end(), movie.begin(), movie.end());
  const Bytes trailer{0x56, 0x34, 0x12, 0xFA, 10, 0, 0, 0};
  file.insert(file.end(), trailer.begin(), trailer.end());
  EXPECT_EQ(FindMovies(file).movies, (std::vector<MoviePiece>{{0x24000, 10}}));
  file.back() = 0;
  file[file.size() - 4] = 11;  // a length that does not match keeps the bytes
  EXPECT_EQ(FindMovies(file).movies, (std::vector<MoviePiece>{{0x24000, 18}}));
}

TEST(ProjectorLayout, ReadingInSmallWindowsFindsTheSameMovies) {
  // Eleven signatures and a twelfth that ends the last movie; across the window sizes
  // below, each of them falls across a window's end for some size.
  Bytes scanned = Stub(4000);
  const std::vector<std::uint64_t> at{1024, 1039, 1053, 1100, 1161, 1290, 1333, 1500, 2001, 2600, 3100, 3500};
  for (const std::uint64_t p : at) PutSignature(scanned, p);
  std::vector<MoviePiece> expected;
  for (std::size_t i = 0; i + 1 < at.size(); ++i) expected.push_back({at[i], at[i + 1] - at[i]});
  Bytes cut = Stub(2000);  // one movie, and an "FW" the end of the file cuts
  PutSignature(cut, 1500);
  cut[1998] = 'F', cut[1999] = 'W';
  Bytes known = Stub(0x5C000 + 20);
  PutSignature(known, 0x5C000);
  const Bytes trailer{0x56, 0x34, 0x12, 0xFA, 20, 0, 0, 0};
  known.insert(known.end(), trailer.begin(), trailer.end());

  for (std::size_t window = 16; window <= 80; ++window) {
    SCOPED_TRACE(window);
    EXPECT_EQ(FindMovies(scanned, window).movies, expected);
    EXPECT_EQ(FindMovies(cut, window).movies, (std::vector<MoviePiece>{{1500, 500}}));
    EXPECT_EQ(FindMovies(known, window).movies, (std::vector<MoviePiece>{{0x5C000, 20}}));
  }
  EXPECT_EQ(FindMovies(Bytes{}, 16).layout, Layout::kNone);
  EXPECT_EQ(FindMovies(Bytes{'F', 'W', 'S'}, 16).layout, Layout::kNone);
}

class Extraction : public ::testing::Test, protected testing::FakeWorld, protected ProjectorHost {
 protected:
  void Play(const std::string& file) override { played.push_back(file); }
  int ShowMessage(const std::string& text, int, const std::string&) override {
    messages.push_back(text);
    return mb::kAnswerOk;
  }
  std::string ProgramFolder() override { return "C:\\Tavelin\\"; }
  // A projector with a movie at each offset and the given length.
  void Projector(const std::string& path, std::size_t length, const std::vector<std::size_t>& movies) {
    Bytes file = Stub(length);
    for (std::size_t at : movies) PutSignature(file, at);
    files.AddFile(path, file);
  }

  // Windows far smaller than the files, so that every extraction reads several.
  ProjectorTools tools{Ports{files, dialogs, desktop, codePage}, *this, 1000};
  std::vector<std::string> played, messages;
};

TEST_F(Extraction, ScannedMoviesAreNumberedAndTheLastPlays) {
  Projector("D:\\games\\fly.exe", 9000, {2000, 5000});
  tools.ExtractSwf("D:\\games\\fly.exe", "D:\\games\\fly.swf", true);
  EXPECT_EQ(files.Content("D:\\games\\fly1.swf").size(), 3000u);
  EXPECT_EQ(files.Content("D:\\games\\fly2.swf").size(), 4000u);
  EXPECT_EQ(played, std::vector<std::string>{"D:\\games\\fly2.swf"});

  Projector("D:\\games\\one.exe", 3000, {2000});
  files.AddFile("D:\\games\\one.swf", Bytes(5000, 'o'));  // a longer file is replaced whole
  tools.ExtractSwf("D:\\games\\one.exe", "D:\\games\\one.swf", false);
  EXPECT_EQ(files.Content("D:\\games\\one.swf"), "FWS" + std::string(997, 'x'));
  EXPECT_TRUE(messages.empty());
}

TEST_F(Extraction, ElevenMoviesAtMostAndNoneOfThemPlays) {
  std::vector<std::size_t> twelve;
  for (std::size_t i = 0; i < 12; ++i) twelve.push_back(2000 + i * 100);
  Projector("C:\\p.exe", 4000, twelve);
  tools.ExtractSwf("C:\\p.exe", "C:\\out.swf", true);
  EXPECT_EQ(files.Content("C:\\out11.swf").size(), 100u);  // ends before the twelfth
  EXPECT_FALSE(files.Contains("C:\\out12.swf"));

  twelve.pop_back();
  Projector("C:\\q.exe", 4000, twelve);
  tools.ExtractSwf("C:\\q.exe", "C:\\q", true);  // no extension: the whole path is the base
  EXPECT_EQ(files.Content("C:\\q11.swf").size(), 4000u - 3000u);
  EXPECT_TRUE(played.empty());
  EXPECT_TRUE(messages.empty());
}

TEST_F(Extraction, NothingToDoIsSilentAndFailuresAreReportedOnce) {
  tools.ExtractSwf("C:\\missing.exe", "C:\\m.swf", true);
  Projector("C:\\plain.exe", 5000, {});
  tools.ExtractSwf("C:\\plain.exe", "C:\\plain.swf", true);
  files.AddFile("C:\\hidden.exe", Bytes(3000, 'x'), attr::kHidden);
  tools.ExtractSwf("C:\\hidden.exe", "C:\\hidden.swf", true);
  tools.ExtractSwf("", "C:\\x.swf", true);
  EXPECT_TRUE(messages.empty());
  EXPECT_FALSE(files.Contains("C:\\plain.swf"));

  Bytes pastEnd = Stub(300);
  pastEnd[0x70] = 0, pastEnd[0x71] = 0, pastEnd[0x72] = 0x10, pastEnd[0x73] = 0;
  files.AddFile("C:\\bad.exe", pastEnd);
  tools.ExtractSwf("C:\\bad.exe", "C:\\bad.swf", true);
  EXPECT_EQ(messages, std::vector<std::string>{"下标越界"});
  EXPECT_FALSE(files.Contains("C:\\bad.swf"));

  messages.clear();
  Projector("C:\\two.exe", 9000, {2000, 5000});
  files.AddFile("C:\\two2.swf", "locked", attr::kReadOnly);
  tools.ExtractSwf("C:\\two.exe", "C:\\two.swf", true);
  EXPECT_EQ(messages.size(), 1u);
  EXPECT_TRUE(files.Contains("C:\\two1.swf"));  // written before the failure, and kept
  EXPECT_TRUE(played.empty());
}

TEST_F(Extraction, PackingPutsTheStubBeforeTheMovieAndExtractionGetsItBackWhole) {
  Bytes stub = Stub(290816);  // byte 0x70 not zero, no signature at the shorter known lengths
  files.AddFile("C:\\Tavelin\\data.dat", stub);
  Bytes movie = Stub(10000);
  PutSignature(movie, 0);
  files.AddFile("D:\\m\\intro.swf", movie);
  files.AddFile("D:\\m\\intro.exe", "an older, longer projector that must go");
  tools.PackSwf("D:\\m\\intro.swf", "D:\\m\\intro.exe");
  const std::string packed = files.Content("D:\\m\\intro.exe");
  ASSERT_EQ(packed.size(), 300816u);
  EXPECT_EQ(packed.substr(0x47000), std::string(movie.begin(), movie.end()));
  EXPECT_FALSE(files.Contains("D:\\m\\intro.exe.new"));
  tools.ExtractSwf("D:\\m\\intro.exe", "D:\\m\\back.swf", false);
  EXPECT_EQ(files.Content("D:\\m\\back.swf"), std::string(movie.begin(), movie.end()));

  dialogs.fileAnswers = {std::nullopt};  // the list's entry asks for a name; cancelling writes nothing
  tools.PackSwf("D:\\m\\intro.swf", "");
  EXPECT_EQ(dialogs.filePicks.back().initialName, "intro");
  tools.PackSwf("http://www.example.com/a.swf", "D:\\m\\web.exe");
  EXPECT_FALSE(files.Contains("D:\\m\\web.exe"));
  EXPECT_TRUE(messages.empty());
}

TEST_F(Extraction, PackingReportsWhatIsMissingAndNeverLeavesAHalfWrittenProjector) {
  tools.PackSwf("D:\\m\\none.swf", "D:\\m\\none.exe");
  EXPECT_EQ(messages, std::vector<std::string>{"文件不存在!"});
  files.AddFile("D:\\m\\a.swf", "FWS...");
  tools.PackSwf("D:\\m\\a.swf", "D:\\m\\a.exe");  // no data.dat beside the program
  EXPECT_EQ(messages.back(), "文件不存在!\rC:\\Tavelin\\data.dat");
  EXPECT_FALSE(files.Contains("D:\\m\\a.exe"));

  files.AddFile("C:\\Tavelin\\data.dat", Stub(5000));
  files.AddFile("D:\\m\\a.exe", "the old projector");
  files.FailNextWriteAfter(3, "磁盘空间不足。");  // the disk fills while the movie follows the stub
  tools.PackSwf("D:\\m\\a.swf", "D:\\m\\a.exe");
  EXPECT_EQ(messages.back(), "磁盘空间不足。");
  EXPECT_EQ(files.Content("D:\\m\\a.exe"), "the old projector");
  EXPECT_FALSE(files.Contains("D:\\m\\a.exe.new"));

  // A stub too short to hold its marker is still copied whole in front of the movie; the
  // movie then sits below where the scan looks, so extraction finds nothing and says so
  // to no one.
  messages.clear();
  files.AddFile("C:\\Tavelin\\data.dat", Stub(10));
  tools.PackSwf("D:\\m\\a.swf", "D:\\m\\short.exe");
  EXPECT_EQ(files.Content("D:\\m\\short.exe"), std::string(10, 'x') + "FWS...");
  tools.ExtractSwf("D:\\m\\short.exe", "D:\\m\\short.swf", true);
  EXPECT_FALSE(files.Contains("D:\\m\\short.swf"));
  EXPECT_TRUE(messages.empty());
}

TEST_F(Extraction, AFailedExtractionLeavesEachOutputAsItWasAndSaysWhyOnce) {
  Projector("D:\\p\\a.exe", 0x24000 + 5000, {0x24000});
  files.AddFile("D:\\p\\a.swf", "the movie extracted before");

  files.FailNext("ReadFileAt", "另一个程序正在使用此文件，进程无法访问。");
  tools.ExtractSwf("D:\\p\\a.exe", "D:\\p\\a.swf", true);
  files.FailNextWriteAfter(2000, "磁盘空间不足。");
  tools.ExtractSwf("D:\\p\\a.exe", "D:\\p\\a.swf", true);
  files.AddFile("D:\\p\\locked.swf", "read-only", attr::kReadOnly);
  tools.ExtractSwf("D:\\p\\a.exe", "D:\\p\\locked.swf", true);
  EXPECT_EQ(messages, (std::vector<std::string>{"另一个程序正在使用此文件，进程无法访问。", "磁盘空间不足。", "拒绝访问。"}));
  EXPECT_EQ(files.Content("D:\\p\\a.swf"), "the movie extracted before");
  EXPECT_EQ(files.Content("D:\\p\\locked.swf"), "read-only");
  EXPECT_FALSE(files.Contains("D:\\p\\a.swf.new"));
  EXPECT_FALSE(files.Contains("D:\\p\\locked.swf.new"));
  EXPECT_TRUE(played.empty());

  messages.clear();
  files.AddFile("D:\\p\\empty.exe", Bytes{});
  tools.ExtractSwf("D:\\p\\empty.exe", "D:\\p\\empty.swf", true);
  EXPECT_FALSE(files.Contains("D:\\p\\empty.swf"));
  tools.ExtractSwf("D:\\p\\a.exe", "D:\\p\\a.swf", true);
  EXPECT_EQ(files.Content("D:\\p\\a.swf"), "FWS" + std::string(4997, 'x'));
  EXPECT_TRUE(messages.empty());
}

class RecordedProgress : public BatchProgress {
 public:
  void Begin() override { steps.push_back("begin"); }
  void Advance(const std::string& caption, int width) override {
    steps.push_back(caption + " " + std::to_string(width));
  }
  bool YieldAndCheckStop() override { return --itemsUntilStop == 0; }
  void End() override { steps.push_back("end"); }
  std::vector<std::string> steps;
  int itemsUntilStop = -1;
};

TEST_F(Extraction, BatchConversionShowsProgressPerItemAndStopsWhenAsked) {
  std::vector<BatchItem> items;
  for (const char* name : {"A.exe", "B.exe", "C.exe", "Intro.EXE"}) {
    Projector(std::string("D:\\p\\") + name, 3000, {2000});
    items.push_back({name, false});
  }
  RecordedProgress four;
  tools.ConvertProjectors("D:\\p\\", items, false, four);
  EXPECT_EQ(four.steps, (std::vector<std::string>{"begin", "25% 56", "50% 112", "75% 168", "100% 224", "end"}));
  EXPECT_TRUE(files.Contains("D:\\p\\Intro.swf"));
  EXPECT_TRUE(played.empty());

  items.pop_back();
  RecordedProgress three;
  tools.ConvertProjectors("D:\\p\\", items, false, three);
  EXPECT_EQ(three.steps, (std::vector<std::string>{"begin", "33% 74", "66% 149", "100% 224", "end"}));

  items.push_back({"movie.swf", true});  // a movie row: its output is itself, never overwritten
  files.AddFile("D:\\p\\movie.swf", "FWS keep me");
  items[2].selected = true;
  RecordedProgress selected;
  tools.ConvertProjectors("D:\\p\\", items, true, selected);
  EXPECT_EQ(selected.steps, (std::vector<std::string>{"begin", "75% 168", "100% 224", "end"}));
  EXPECT_EQ(files.Content("D:\\p\\movie.swf"), "FWS keep me");

  // An unreadable projector is reported by itself, and the batch goes on.
  files.FailNext("ReadFileAt", "拒绝访问。");
  files.AddFile("D:\\p\\B.swf", "old");
  RecordedProgress unreadable;
  tools.ConvertProjectors("D:\\p\\", items, false, unreadable);
  EXPECT_EQ(messages, std::vector<std::string>{"拒绝访问。"});
  EXPECT_EQ(unreadable.steps.size(), 6u);
  EXPECT_EQ(files.Content("D:\\p\\B.swf"), "FWS" + std::string(997, 'x'));

  RecordedProgress stopped;
  stopped.itemsUntilStop = 2;  // Esc during the second item's yield
  tools.ConvertProjectors("D:\\p\\", items, false, stopped);
  EXPECT_EQ(stopped.steps, (std::vector<std::string>{"begin", "25% 56", "50% 112", "end"}));
}

}  // namespace
}  // namespace tavelin
