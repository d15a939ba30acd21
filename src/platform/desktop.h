#pragma once
// The rest of the desktop the program touches: clipboard, processes, help, sound
// volume, the per-user setting, screen metrics, the message loop and the clock.

#include <cstdint>
#include <string>

namespace tavelin {

// A window of the program as the portable code refers to it (a window handle on Windows).
using WindowId = std::uintptr_t;

enum class ShowState { kNormal, kMinimizedWithFocus, kHidden };

// A moment in local time, as the system's clock gives it.
struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

class Desktop {
 public:
  virtual ~Desktop() = default;

  virtual void SetClipboardText(const std::string& text) = 0;

  // Starts a process from a command line and returns without waiting for it.
  virtual void StartProcess(const std::string& commandLine, ShowState show) = 0;
  // Starts a program through the shell, which may ask the user for elevation, with
  // its window shown as `show`, and returns at once. With announceAssociations the
  // shell is told, once the program has ended, that file associations changed (this
  // waits on a thread of its own, never on the caller's).
  virtual void ShellStart(const std::string& program, const std::string& parameters, ShowState show,
                          bool announceAssociations) = 0;
  // A string of the program's string table.
  virtual std::string LoadText(int id) = 0;
  // The user's folder for temporary files, with a trailing backslash.
  virtual std::string TemporaryFolder() = 0;
  // Opens a compiled help file at a topic ("C:\Tavelin\Tavelin.chm::/11.htm").
  virtual void OpenHelp(const std::string& helpPath) = 0;

  // Wave-out volume of a device: low word left channel, high word right channel.
  virtual std::uint32_t GetWaveVolume(int device) = 0;
  virtual void SetWaveVolume(int device, std::uint32_t volume) = 0;

  // A per-user setting of an application; empty when it is not set.
  virtual std::string ReadUserSetting(const std::string& application, const std::string& section,
                                      const std::string& key) = 0;

  // Twips per pixel of the screen (15 at 96 dpi), and the screen's size in pixels.
  virtual double TwipsPerPixelX() = 0;
  virtual double TwipsPerPixelY() = 0;
  virtual int ScreenWidthPixels() = 0;
  virtual int ScreenHeightPixels() = 0;

  // Lets pending window messages run (the handler resumes afterwards).
  virtual void YieldToMessages() = 0;
  // Posts a key-down message with a virtual-key code and its message parameter to a window.
  virtual void PostKeyDown(WindowId window, int virtualKey, std::intptr_t keyData) = 0;

  virtual LocalTime Now() = 0;
  // A file time (UTC) in the local time zone.
  virtual LocalTime ToLocalTime(std::int64_t fileTimeTicks) = 0;
  // The system's date and time separators ("/" and ":" on Simplified Chinese Windows).
  virtual std::string DateSeparator() = 0;
  virtual std::string TimeSeparator() = 0;
  // Date and time in the system's short formats.
  virtual std::string FormatShortDate(const LocalTime& time) = 0;
  virtual std::string FormatShortTime(const LocalTime& time) = 0;

  // Orders two texts as the user's locale sorts them, letter case ignored: negative,
  // zero or positive.
  virtual int CompareTexts(const std::string& a, const std::string& b) = 0;
};

}  // namespace tavelin
