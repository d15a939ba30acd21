#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/failure.h"
#include "playback/movie_control/engine_movie_control.h"
#include "support/arriving_movies.h"
#include "support/fake_downloader.h"
#include "support/fake_file_system.h"
#include "support/swf_writer.h"
#include "swf/movie.h"

namespace tavelin {
namespace {

using testing::ArrivingFrameColour;
using testing::kArrivingFrames;

constexpr const char* kAddress = "http://127.0.0.1/movie.swf";

std::uint32_t Argb(testing::Rgb rgb) {
  return 0xFF000000u | static_cast<std::uint32_t>(rgb.red) << 16 | static_cast<std::uint32_t>(rgb.green) << 8 | rgb.blue;
}

class NetworkMovieTest : public ::testing::Test {
 protected:
  NetworkMovieTest() {
    files.AddFolder("C:\\Movies");
    files.AddFile("C:\\Movies\\local.swf", testing::SwfWriter().StagePixels(10, 10).ShowFrame().ShowFrame().Bytes());
    control.SetViewportSize(100, 100);
    control.SetOnLoadFailure([this](const std::string& message) { messages.push_back(message); });
  }

  std::uint32_t Centre() {
    control.Render(picture);
    return picture.At(50, 50);
  }

  testing::FakeFileSystem files;
  testing::FakeDownloader downloader;
  EngineMovieControl control{files, &downloader};
  swf::Framebuffer picture;
  std::vector<std::string> messages;
};

TEST_F(NetworkMovieTest, AMovieArrivingInPiecesPlaysEarlyWaitsForFramesAndEndsAsTheWholeFile) {
  for (const bool compressed : {false, true}) {
    SCOPED_TRACE(compressed ? "CWS" : "FWS");
    const std::vector<std::uint8_t> file = testing::ArrivingMovieBytes(compressed);
    control.SetMovie(kAddress);
    EXPECT_EQ(control.Movie(), kAddress);
    EXPECT_FALSE(control.HasMovie());
    ASSERT_EQ(downloader.Newest().address, kAddress);

    // The first two fifths: the first frame plays, later ones are still missing.
    const std::size_t early = file.size() * 2 / 5;
    downloader.SendInPieces(std::span(file).first(early), 700);
    ASSERT_TRUE(control.HasMovie());
    EXPECT_EQ(control.TotalFrames(), kArrivingFrames);
    EXPECT_TRUE(control.IsPlaying());
    EXPECT_EQ(Centre(), Argb(ArrivingFrameColour(0)));
    for (int i = 0; i < 30; ++i) control.AdvanceClock(0.1);
    const int waitingAt = control.CurrentFrame();
    EXPECT_LT(waitingAt, kArrivingFrames - 1);
    EXPECT_TRUE(control.IsPlaying());
    EXPECT_EQ(Centre(), Argb(ArrivingFrameColour(waitingAt)));

    // The rest: the clock goes on from where it waited, then loops as the file does.
    downloader.SendInPieces(std::span(file).subspan(early), 700);
    downloader.Finish();
    EXPECT_TRUE(messages.empty());
    for (int frame = waitingAt + 1; frame < kArrivingFrames; ++frame) {
      EXPECT_TRUE(control.AdvanceClock(0.1));
      EXPECT_EQ(control.CurrentFrame(), frame);
      EXPECT_EQ(Centre(), Argb(ArrivingFrameColour(frame)));
    }
    EXPECT_TRUE(control.AdvanceClock(0.1));
    EXPECT_EQ(control.CurrentFrame(), 0);
    EXPECT_EQ(Centre(), Argb(ArrivingFrameColour(0)));
    control.GotoFrame(3);
    EXPECT_EQ(Centre(), Argb(ArrivingFrameColour(3)));
    EXPECT_EQ(control.TotalFrames(), kArrivingFrames);
  }
}

TEST_F(NetworkMovieTest, WhatCannotBePlayedIsReportedWithItsReason) {
  const std::string page = "<!DOCTYPE html><html><head><title>Hello</title></head><body>Hello</body></html>";
  control.SetMovie(kAddress);
  downloader.Send(std::span(reinterpret_cast<const std::uint8_t*>(page.data()), page.size()));
  EXPECT_TRUE(downloader.Newest().cancelled);  // the rest of a page is not fetched
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], std::string("无法播放网络上的影片:\r") + kAddress + "\r" + swf::movie_failure::kNotAMovie);
  EXPECT_FALSE(control.HasMovie());

  control.SetMovie("https://127.0.0.1/missing.swf");
  downloader.Fail("服务器回答: HTTP 404 Not Found");
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[1], "无法播放网络上的影片:\rhttps://127.0.0.1/missing.swf\r服务器回答: HTTP 404 Not Found");

  // A connection lost halfway: the frames there play as the whole movie, and loop.
  const std::vector<std::uint8_t> file = testing::ArrivingMovieBytes(false);
  control.SetMovie(kAddress);
  downloader.SendInPieces(std::span(file).first(file.size() / 2), 1000);
  downloader.Fail("连接中断");
  ASSERT_EQ(messages.size(), 3u);
  const int frames = control.TotalFrames();
  EXPECT_GE(frames, 1);
  EXPECT_LT(frames, kArrivingFrames);
  for (int i = 0; i < frames; ++i) control.AdvanceClock(0.1);
  EXPECT_EQ(control.CurrentFrame(), 0);

  // Every byte there, but the file is cut short of its End.
  control.SetMovie(kAddress);
  downloader.Send(std::span(file).first(file.size() - 3));
  downloader.Finish();
  ASSERT_EQ(messages.size(), 4u);
  EXPECT_EQ(messages[3], std::string("无法播放网络上的影片:\r") + kAddress + "\r" + swf::movie_failure::kTruncated);

  // Other kinds of address are refused at once, as before.
  for (const char* other : {"ftp://127.0.0.1/a.swf", "file:///C:/a.swf"}) {
    EXPECT_THROW(control.SetMovie(other), Failure) << other;
  }
  EXPECT_EQ(messages.size(), 4u);
}

TEST_F(NetworkMovieTest, ANewAddressOrFileCancelsTheDownload) {
  const std::vector<std::uint8_t> file = testing::ArrivingMovieBytes(false);
  control.SetMovie(kAddress);
  downloader.Send(std::span(file).first(file.size() / 2));
  ASSERT_TRUE(control.HasMovie());
  auto first = downloader.transfers.back();

  control.SetMovie("http://127.0.0.1/other.swf");
  EXPECT_TRUE(first->cancelled);
  EXPECT_FALSE(control.HasMovie());  // the window does not keep showing the old movie
  auto second = downloader.transfers.back();

  // A file that cannot be loaded leaves the download going; one that loads ends it.
  EXPECT_THROW(control.SetMovie("C:\\Movies\\gone.swf"), Failure);
  EXPECT_FALSE(second->cancelled);
  control.SetMovie("C:\\Movies\\local.swf");
  EXPECT_TRUE(second->cancelled);
  EXPECT_EQ(control.TotalFrames(), 2);

  control.SetMovie(kAddress);
  control.SetMovie("");
  EXPECT_TRUE(downloader.transfers.back()->cancelled);
  EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace tavelin
