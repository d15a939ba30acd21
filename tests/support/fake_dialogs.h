#pragma once
// Dialogs that answer from queues and remember what was asked, so tests never block.

#include <deque>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace tavelin::testing {

class FakeDialogs : public Dialogs {
 public:
  struct ShownMessage {
    std::string text;
    int style = 0;
    std::string caption;
  };

  // Answers, used first in first out. An empty queue answers OK, or cancels a picker.
  std::deque<int> messageAnswers;
  std::deque<std::optional<std::string>> fileAnswers;
  std::deque<std::optional<std::string>> textAnswers;
  std::deque<std::optional<std::uint32_t>> colorAnswers;

  // What was asked.
  std::vector<ShownMessage> messages;
  std::vector<FilePickRequest> filePicks;
  std::vector<std::string> textPrompts;
  std::vector<std::uint32_t> colorPicks;

  int Message(const std::string& text, int style, const std::string& caption) override {
    messages.push_back({text, style, caption});
    return Next(messageAnswers, mb::kAnswerOk);
  }
  std::optional<std::string> PickFile(const FilePickRequest& request) override {
    filePicks.push_back(request);
    return Next(fileAnswers, std::optional<std::string>());
  }
  std::optional<std::string> InputText(const std::string& prompt, const std::string&, const std::string&) override {
    textPrompts.push_back(prompt);
    return Next(textAnswers, std::optional<std::string>());
  }
  std::optional<std::uint32_t> PickColor(std::uint32_t initial) override {
    colorPicks.push_back(initial);
    return Next(colorAnswers, std::optional<std::uint32_t>());
  }

 private:
  template <class T>
  static T Next(std::deque<T>& queue, T fallback) {
    if (queue.empty()) return fallback;
    T answer = std::move(queue.front());
    queue.pop_front();
    return answer;
  }
};

}  // namespace tavelin::testing
