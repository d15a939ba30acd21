#pragma once
// Modal questions and pickers. Every call blocks until the user answers; the test
// fake answers from a queue.

#include <cstdint>
#include <optional>
#include <string>

namespace tavelin {

// Message-box styles and answers, with the values Windows gives them.
namespace mb {
inline constexpr int kOk = 0;
inline constexpr int kOkCancel = 1;
inline constexpr int kYesNo = 4;
inline constexpr int kIconWarning = 48;
inline constexpr int kIconInformation = 64;

inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;
}  // namespace mb

struct FilePickRequest {
  std::string title;
  std::uint32_t flags = 0;  // the common dialog's OFN_* bits
  std::string filter;       // "描述|*.swf|..." pairs separated by '|'
  bool save = false;
  std::string initialName;
  std::string defaultExtension;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // Shows a message box; an empty caption shows the system's default caption.
  // Returns the code of the button pressed (closing the box answers Cancel).
  virtual int Message(const std::string& text, int style, const std::string& caption) = 0;
  // The chosen file's full path, or nothing when the user cancels.
  virtual std::optional<std::string> PickFile(const FilePickRequest& request) = 0;
  // The text typed, or nothing when the user cancels.
  virtual std::optional<std::string> InputText(const std::string& prompt, const std::string& title,
                                               const std::string& initial) = 0;
  // The colour chosen as 0xRRGGBB, or nothing when the user cancels.
  virtual std::optional<std::uint32_t> PickColor(std::uint32_t initial) = 0;
};

}  // namespace tavelin
