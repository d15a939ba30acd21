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

class Extraction : public ::testing::Test, protected testing::FakeWorld, protected ProjectorHost {
 protected:
  void Play(const std::string& file) override { played.push_back(file); }
  int ShowMessage(const std::string& text, int, const std::string&) override {
    messages.push_back(text);
    return mb::kAnswerOk;
  }
  // A projector with a movie at each offset and the given length.
  void Projector(const std::string& path, std::size_t length, const std::vector<std::size_t>& movies) {
    Bytes file = Stub(length);
    for (std::size_t at : movies) PutSignature(file, at);
    files.AddFile(path, file);
  }

  ProjectorTools tools{Ports{files, dialogs, desktop, codePage}, *this};
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

}  // namespace
}  // namespace tavelin
