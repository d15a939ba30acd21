#include "swf/arriving_movie.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "support/arriving_movies.h"
#include "swf/movie.h"

namespace tavelin::swf {
namespace {

using Bytes = std::vector<std::uint8_t>;

void ExpectSameFrames(const Movie& start, const Movie& whole, std::size_t cut) {
  for (int frame = 0; frame < start.FrameCount(); ++frame) {
    const auto a = start.FrameTags(frame);
    const auto b = whole.FrameTags(frame);
    ASSERT_EQ(a.size(), b.size()) << "frame " << frame << " cut at " << cut;
    for (std::size_t i = 0; i < a.size(); ++i) {
      EXPECT_EQ(a[i].code, b[i].code);
      EXPECT_EQ(a[i].offset, b[i].offset);
      ASSERT_EQ(a[i].length, b[i].length);
      const auto bodyA = start.TagBody(a[i]);
      const auto bodyB = whole.TagBody(b[i]);
      EXPECT_TRUE(std::equal(bodyA.begin(), bodyA.end(), bodyB.begin())) << "frame " << frame << " cut at " << cut;
    }
  }
}

TEST(MovieStart, EveryCutOfAMovieGivesOnlyItsWholeFramesAndTheLastGivesTheMovie) {
  for (const bool compressed : {false, true}) {
    SCOPED_TRACE(compressed ? "CWS" : "FWS");
    const Bytes file = testing::ArrivingMovieBytes(compressed);
    const Movie whole = LoadMovie(file);
    ASSERT_EQ(whole.FrameCount(), testing::kArrivingFrames);

    int framesBefore = 0;
    std::size_t firstFrameAt = 0;
    // Every cut near the start, then every 97th byte.
    for (std::size_t cut = 0; cut < file.size(); cut += cut < 400 ? 1 : 97) {
      const std::optional<Movie> start = LoadMovieStart(std::span(file).first(cut));
      if (!start) {
        EXPECT_EQ(framesBefore, 0) << "frames lost at " << cut;
        continue;
      }
      if (framesBefore == 0) firstFrameAt = cut;
      EXPECT_FALSE(start->Complete());
      EXPECT_EQ(start->ExpectedFrameCount(), testing::kArrivingFrames);
      EXPECT_EQ(start->Stage(), whole.Stage());
      EXPECT_EQ(start->BackgroundColor(), whole.BackgroundColor());
      EXPECT_GE(start->FrameCount(), framesBefore) << cut;
      EXPECT_LE(start->FrameCount(), whole.FrameCount());
      framesBefore = start->FrameCount();
      ExpectSameFrames(*start, whole, cut);
    }
    // The first frame plays long before the file is there.
    EXPECT_GT(firstFrameAt, 0u);
    EXPECT_LT(firstFrameAt, file.size() / 2);

    const std::optional<Movie> all = LoadMovieStart(file);
    ASSERT_TRUE(all);
    EXPECT_TRUE(all->Complete());
    EXPECT_EQ(all->FrameCount(), whole.FrameCount());
    ExpectSameFrames(*all, whole, file.size());
  }
}

TEST(MovieStart, RefusesAtOnceWhatCannotStartAMovie) {
  const auto refusal = [](const std::string& text) {
    try {
      (void)LoadMovieStart(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    } catch (const Failure& failure) {
      return std::string(failure.what());
    }
    return std::string("(none)");
  };
  EXPECT_EQ(refusal("<"), movie_failure::kNotAMovie);
  EXPECT_EQ(refusal("<!DOCTYPE html><html><body>Not Found</body></html>"), movie_failure::kNotAMovie);
  EXPECT_EQ(refusal("ZWS"), movie_failure::kLzmaNotSupported);
  EXPECT_EQ(refusal(std::string("FWS\x06\x01\x00\x00\x00", 8)), movie_failure::kBadHeader);
  // Too little to tell: nothing yet, no refusal.
  EXPECT_EQ(refusal(""), "(none)");
  EXPECT_EQ(refusal("CW"), "(none)");

  Bytes damaged = testing::ArrivingMovieBytes(true);
  damaged[9] ^= 0xFF;
  EXPECT_THROW((void)LoadMovieStart(std::span(damaged).first(200)), Failure);
}

TEST(ArrivingMovie, DecodesAboutLogNTimesHoweverCutAndEndsAsTheWholeFile) {
  for (const bool compressed : {false, true}) {
    const Bytes file = testing::ArrivingMovieBytes(compressed);
    const Movie whole = LoadMovie(file);
    for (const std::size_t piece : {std::size_t{1}, std::size_t{1000}, file.size()}) {
      SCOPED_TRACE((compressed ? "CWS in pieces of " : "FWS in pieces of ") + std::to_string(piece));
      ArrivingMovie arriving;
      std::shared_ptr<Movie> playing;
      for (std::size_t at = 0; at < file.size(); at += piece) {
        std::optional<Movie> start = arriving.Add(std::span(file).subspan(at, std::min(piece, file.size() - at)));
        if (!start) continue;
        if (!playing) {
          playing = std::make_shared<Movie>(std::move(*start));
        } else {
          const int before = playing->FrameCount();
          playing->Grow(std::move(*start));
          EXPECT_GT(playing->FrameCount(), before);
        }
      }
      const double bound = std::log2(static_cast<double>(file.size()) / ArrivingMovie::kFirstDecodeBytes) + 2;
      EXPECT_LE(arriving.Decodes(), bound);
      Movie finished = arriving.Finish();
      if (playing) {
        playing->Grow(std::move(finished));
      } else {
        playing = std::make_shared<Movie>(std::move(finished));
      }
      EXPECT_TRUE(playing->Complete());
      EXPECT_EQ(playing->FrameCount(), whole.FrameCount());
      ExpectSameFrames(*playing, whole, file.size());
    }
  }

  // Another movie never grows one already playing.
  Movie one = LoadMovie(testing::ArrivingMovieBytes(false));
  EXPECT_THROW(one.Grow(LoadMovie(testing::SwfWriter().ShowFrame().Bytes())), Failure);
}

}  // namespace
}  // namespace tavelin::swf
