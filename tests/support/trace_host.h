#pragma once
// A script host for tests: keeps each trace() line and, when asked, each command as
// "command:argument" and each stopped script as "stopped: reason"; its clocks stand still.

#include <string>
#include <vector>

#include "swf/avm1/interpreter.h"

namespace tavelin::testing {

class TraceHost final : public swf::avm1::ScriptHost {
 public:
  explicit TraceHost(bool keepCommands = false) : keepCommands_(keepCommands) {}
  void Trace(const std::string& line) override { lines.push_back(line); }
  void Command(const std::string& command, const std::string& argument) override {
    if (keepCommands_) lines.push_back(command + ":" + argument);
  }
  void OpenAddress(const std::string&, const std::string&) override {}
  double MovieMilliseconds() override { return 0; }
  double WallSeconds() override { return 0; }
  void ScriptStopped(const std::string& reason) override {
    if (keepCommands_) lines.push_back("stopped: " + reason);
  }

  std::vector<std::string> lines;

 private:
  bool keepCommands_;
};

}  // namespace tavelin::testing
