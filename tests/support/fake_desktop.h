#pragma once
// A desktop whose screen, clock, volume and settings the test sets, and which
// records everything the program asks of it.

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/desktop.h"
#include "platform/failure.h"
#include "support/collation.h"

namespace tavelin::testing {

class FakeDesktop : public Desktop {
 public:
  struct StartedProcess {
    std::string commandLine;
    ShowState show;
  };

  // Set by the test.
  double twipsX = 15, twipsY = 15;
  int screenWidth = 1024, screenHeight = 768;
  LocalTime now{2026, 12, 7, 9, 5, 30};
  std::uint32_t waveVolume = 0xFFFFFFFF;
  bool waveDeviceMissing = false;
  std::map<std::string, std::string> userSettings;  // by "application/section/key"
  std::map<int, std::string> strings;               // the string table
  std::string temporaryFolder = "C:\\users\\user\\Temp\\";

  // Recorded.
  std::vector<std::string> clipboard;
  std::vector<StartedProcess> processes;
  std::vector<std::string> helpOpened;
  struct ShellStarted {
    std::string program, parameters;
    ShowState show;
    bool announceAssociations;
  };
  std::vector<ShellStarted> shellStarts;
  std::vector<std::uint32_t> volumesSet;
  struct PostedKey {
    WindowId window;
    int virtualKey;
    std::intptr_t keyData;
  };
  std::vector<PostedKey> postedKeys;
  int yields = 0;

  void SetClipboardText(const std::string& text) override { clipboard.push_back(text); }
  void StartProcess(const std::string& commandLine, ShowState show) override {
    processes.push_back({commandLine, show});
  }
  void ShellStart(const std::string& program, const std::string& parameters, ShowState show,
                  bool announceAssociations) override {
    shellStarts.push_back({program, parameters, show, announceAssociations});
  }
  std::string LoadText(int id) override {
    const auto it = strings.find(id);
    if (it == strings.end()) throw Failure("找不到资源。");
    return it->second;
  }
  std::string TemporaryFolder() override { return temporaryFolder; }
  void OpenHelp(const std::string& helpPath) override { helpOpened.push_back(helpPath); }
  std::uint32_t GetWaveVolume(int) override {
    if (waveDeviceMissing) throw Failure("没有安装驱动程序。");
    return waveVolume;
  }
  void SetWaveVolume(int, std::uint32_t volume) override {
    if (waveDeviceMissing) throw Failure("没有安装驱动程序。");
    waveVolume = volume;
    volumesSet.push_back(volume);
  }
  std::string ReadUserSetting(const std::string& application, const std::string& section,
                              const std::string& key) override {
    const auto it = userSettings.find(application + "/" + section + "/" + key);
    return it == userSettings.end() ? std::string() : it->second;
  }
  double TwipsPerPixelX() override { return twipsX; }
  double TwipsPerPixelY() override { return twipsY; }
  int ScreenWidthPixels() override { return screenWidth; }
  int ScreenHeightPixels() override { return screenHeight; }
  void YieldToMessages() override {
    ++yields;
    if (onYield) std::exchange(onYield, nullptr)();
  }
  // Runs at the next yield, as a message handled meanwhile would.
  std::function<void()> onYield;
  void PostKeyDown(WindowId window, int virtualKey, std::intptr_t keyData) override {
    postedKeys.push_back({window, virtualKey, keyData});
  }
  LocalTime Now() override { return now; }
  // Local time is UTC + 8 hours here, as in China.
  LocalTime ToLocalTime(std::int64_t ticks) override {
    std::int64_t seconds = ticks / 10'000'000 - 11'644'473'600LL + 8 * 3600;  // since 1970, local
    std::int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    const std::int64_t secondOfDay = seconds - days * 86400;
    // Civil date from days since 1970-01-01.
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day, static_cast<int>(secondOfDay / 3600), static_cast<int>(secondOfDay / 60 % 60),
            static_cast<int>(secondOfDay % 60)};
  }
  std::string dateSeparator = "/", timeSeparator = ":";
  std::string DateSeparator() override { return dateSeparator; }
  std::string TimeSeparator() override { return timeSeparator; }
  std::string FormatShortDate(const LocalTime& t) override {
    return std::to_string(t.year) + "/" + std::to_string(t.month) + "/" + std::to_string(t.day);
  }
  std::string FormatShortTime(const LocalTime& t) override {
    return std::to_string(t.hour) + ":" + (t.minute < 10 ? "0" : "") + std::to_string(t.minute);
  }
  // The Simplified Chinese locale's order (pinyin for Chinese), as on the users' systems.
  int CompareTexts(const std::string& a, const std::string& b) override { return CollateAsSimplifiedChinese(a, b); }
};

}  // namespace tavelin::testing
