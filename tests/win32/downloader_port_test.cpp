// The WinINet downloader and the movie control together, against a small web server of
// the test's own on 127.0.0.1.
#include <winsock2.h>

#include "win32/ports/downloader.h"
#include <wininet.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "playback/movie_control/engine_movie_control.h"
#include "support/arriving_movies.h"
#include "win32/ports/file_system.h"

namespace tavelin::win32 {
namespace {

using Clock = std::chrono::steady_clock;

// Serves /movie.swf (holding back all but its first 40,000 bytes until Release: less
// than a read asks for, so a reader that waits to fill its buffer shows nothing), and
// answers 404
// for anything else. One connection at a time, each on its own thread.
class TestServer {
 public:
  explicit TestServer(std::vector<std::uint8_t> movie) : movie_(std::move(movie)) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    listen(listener_, 8);
    acceptor_ = std::thread([this] { Accept(); });
  }
  ~TestServer() {
    Release();
    closesocket(listener_);  // ends accept
    acceptor_.join();
    for (auto& connection : connections_) connection.join();
    WSACleanup();
  }

  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
  void Release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }
  // A port on which nothing listens.
  static int ClosedPort() {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int length = sizeof address;
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    closesocket(s);
    return ntohs(address.sin_port);
  }

 private:
  void Accept() {
    for (;;) {
      SOCKET client = accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
      connections_.emplace_back([this, client] { Serve(client); });
    }
  }
  static void SendAll(SOCKET client, const char* data, std::size_t size) {
    while (size > 0) {
      const int sent = send(client, data, static_cast<int>(size), 0);
      if (sent <= 0) return;
      data += sent;
      size -= static_cast<std::size_t>(sent);
    }
  }
  void Serve(SOCKET client) {
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos) {
      const int got = recv(client, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      request.append(buffer, static_cast<std::size_t>(got));
    }
    if (request.rfind("GET /movie.swf ", 0) == 0) {
      const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: application/x-shockwave-flash\r\nContent-Length: " +
                               std::to_string(movie_.size()) + "\r\nConnection: close\r\n\r\n";
      SendAll(client, head.data(), head.size());
      const std::size_t half = std::min<std::size_t>(movie_.size() / 2, 40000);
      SendAll(client, reinterpret_cast<const char*>(movie_.data()), half);
      {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(20), [this] { return released_; });
      }
      SendAll(client, reinterpret_cast<const char*>(movie_.data() + half), movie_.size() - half);
    } else {
      const std::string answer =
          "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\nContent-Length: 9\r\nConnection: close\r\n\r\nNot Found";
      SendAll(client, answer.data(), answer.size());
    }
    shutdown(client, SD_SEND);
    closesocket(client);
  }

  std::vector<std::uint8_t> movie_;
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::thread acceptor_;
  std::vector<std::thread> connections_;  // used by the acceptor, joined after it
  std::mutex mutex_;
  std::condition_variable changed_;
  bool released_ = false;
};

// Runs the interface thread's messages until `done` or 15 seconds.
bool PumpUntil(const std::function<bool()>& done) {
  const auto deadline = Clock::now() + std::chrono::seconds(15);
  while (!done()) {
    if (Clock::now() > deadline) return false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(5);
  }
  return true;
}

class DownloaderPortTest : public ::testing::Test {
 protected:
  DownloaderPortTest() {
    control.SetOnLoadFailure([this](const std::string& message) { messages.push_back(message); });
  }

  TestServer server{testing::ArrivingMovieBytes(false)};
  Win32FileSystem files;
  Win32Downloader downloader;
  EngineMovieControl control{files, &downloader};
  std::vector<std::string> messages;
};

TEST_F(DownloaderPortTest, AMoviePlaysItsFirstFramesBeforeTheRestArrives) {
  // A download cancelled while the server holds it back ends quietly.
  control.SetMovie(server.Url("/movie.swf"));
  ASSERT_TRUE(PumpUntil([&] { return control.HasMovie(); }));
  control.SetMovie("");

  control.SetMovie(server.Url("/movie.swf"));
  ASSERT_TRUE(PumpUntil([&] { return control.HasMovie(); }));
  EXPECT_EQ(control.TotalFrames(), testing::kArrivingFrames);
  for (int i = 0; i < 20; ++i) control.AdvanceClock(0.1);
  EXPECT_LT(control.CurrentFrame(), testing::kArrivingFrames - 1);  // waiting for the rest
  EXPECT_TRUE(control.IsPlaying());

  server.Release();
  ASSERT_TRUE(PumpUntil([&] {
    control.AdvanceClock(0.1);
    return control.CurrentFrame() == testing::kArrivingFrames - 1;
  }));
  EXPECT_TRUE(control.AdvanceClock(0.1));
  EXPECT_EQ(control.CurrentFrame(), 0);  // loops as the whole file does
  EXPECT_TRUE(messages.empty());
}

TEST_F(DownloaderPortTest, AMissingMovieAndARefusedConnectionAreReportedWithTheirReasons) {
  const std::string missing = server.Url("/gone.swf");
  control.SetMovie(missing);
  ASSERT_TRUE(PumpUntil([&] { return !messages.empty(); }));
  EXPECT_EQ(messages[0], "无法播放网络上的影片:\r" + missing + "\r服务器回答: HTTP 404 Not Found");

  const std::string refused = "http://127.0.0.1:" + std::to_string(TestServer::ClosedPort()) + "/a.swf";
  control.SetMovie(refused);
  ASSERT_TRUE(PumpUntil([&] { return messages.size() == 2; }));
  EXPECT_EQ(messages[1], "无法播放网络上的影片:\r" + refused + "\r无法连接到服务器");
  EXPECT_FALSE(control.HasMovie());
}

TEST(InternetErrorText, DescribesCommonFailuresInOurWordsAndOthersFromTheSystem) {
  EXPECT_EQ(InternetErrorText(ERROR_INTERNET_NAME_NOT_RESOLVED), "找不到服务器");
  EXPECT_EQ(InternetErrorText(ERROR_INTERNET_TIMEOUT), "服务器没有及时回应");
  EXPECT_FALSE(InternetErrorText(ERROR_INTERNET_INVALID_URL).empty());
  EXPECT_FALSE(InternetErrorText(ERROR_ACCESS_DENIED).empty());
}

}  // namespace
}  // namespace tavelin::win32
