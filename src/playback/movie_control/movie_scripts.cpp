#include "playback/movie_control/movie_scripts.h"

#include <chrono>

namespace tavelin {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return text;
}

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

bool IsWebAddress(const std::string& url) {
  const std::string lower = Lower(url);
  return lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0 || lower.rfind("mailto:", 0) == 0;
}

MovieScripts::MovieScripts(int version, std::function<double()> wallSeconds)
    : machine_(version, *this), wallSeconds_(wallSeconds ? std::move(wallSeconds) : SteadySeconds) {}

void MovieScripts::Trace(const std::string&) {}

void MovieScripts::Command(const std::string& command, const std::string& argument) {
  const std::string name = Lower(command);
  if (name == "quit") pending_.push_back({Request::Kind::kQuit, {}, false});
  if (name == "fullscreen") pending_.push_back({Request::Kind::kFullScreen, {}, Lower(argument) == "true"});
  // allowscale and showmenu change nothing the program shows; other commands are
  // meant for a web page and are ignored.
}

void MovieScripts::OpenAddress(const std::string& url, const std::string&) {
  if (IsWebAddress(url) && pending_.size() < 64) pending_.push_back({Request::Kind::kOpen, url, false});
}

double MovieScripts::WallSeconds() { return wallSeconds_(); }

void MovieScripts::ScriptStopped(const std::string& reason) { pending_.push_back({Request::Kind::kStopped, reason, false}); }

void MovieScripts::Deliver(MovieEvents* events, const std::string& movieName) {
  std::vector<Request> requests;
  requests.swap(pending_);
  if (!events) return;
  bool stoppedTold = false;
  for (const Request& request : requests) {
    switch (request.kind) {
      case Request::Kind::kQuit: events->Quit(); break;
      case Request::Kind::kFullScreen: events->FullScreen(request.on); break;
      case Request::Kind::kOpen: events->OpenWebAddress(request.text); break;
      case Request::Kind::kStopped:
        if (!stoppedTold) events->ScriptStopped(movieName);
        stoppedTold = true;
        break;
    }
  }
}

}  // namespace tavelin
