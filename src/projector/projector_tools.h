#pragma once
// The projector tools: cutting the movies out of a projector executable. Packing and
// batch conversion join them here.

#include <string>
#include <vector>

#include "platform/ports.h"
#include "projector/projector_layout.h"

namespace tavelin {

// What the projector tools ask of the rest of the program.
class ProjectorHost {
 public:
  virtual ~ProjectorHost() = default;
  // Loads and starts a movie file (reports everything itself).
  virtual void Play(const std::string& file) = 0;
  virtual int ShowMessage(const std::string& text, int style, const std::string& caption = {}) = 0;
  // The program folder, with a trailing backslash: the stub data.dat lives there.
  virtual std::string ProgramFolder() = 0;
};

// One file of the list a batch conversion works through.
struct BatchItem {
  std::string name;  // the list's text: a file of the folder converted
  bool selected = false;
};

// How a batch conversion shows its progress and learns that it should stop.
class BatchProgress {
 public:
  virtual ~BatchProgress() = default;
  virtual void Begin() = 0;
  // After item `done` of `total`: the label's caption and width.
  virtual void Advance(const std::string& caption, int width) = 0;
  // Lets the window answer input; true when the user asked to stop.
  virtual bool YieldAndCheckStop() = 0;
  virtual void End() = 0;
};

class ProjectorTools {
 public:
  // Projectors are read `windowBytes` at a time.
  ProjectorTools(Ports ports, ProjectorHost& host, std::size_t windowBytes = projector::kScanWindowBytes)
      : ports_(ports), host_(host), windowBytes_(windowBytes) {}

  // Writes the movie inside the projector `source` to `output`; a projector whose movies
  // are found by scanning writes each of them (up to 11) to `output` less its
  // extension followed by 1.swf, 2.swf, ... (a single one to that base + ".swf"). Plays
  // the (last) movie written when `playAfter`, unless the scan reached its limit.
  // Silent when an argument is empty, the source is missing or holds no movie; any
  // failure is reported once at the end, and files already written stay. Each movie is
  // copied from the projector to a temporary file that then replaces its output, so a
  // failure never leaves a half-written movie under that name.
  void ExtractSwf(const std::string& source, const std::string& output, bool playAfter);

  // Writes the stub data.dat followed by the movie `source` to `output`; an empty
  // `output` is asked for with the save dialog. Network addresses are ignored; a
  // missing movie or stub is reported ("文件不存在!"), and so is a failed write. The
  // projector is written to a temporary file that then replaces `output`, so a failure
  // never leaves a half-written projector under that name.
  void PackSwf(const std::string& source, std::string output);

  // Extracts each projector of `items` (the selected ones only when `selectedOnly`) in
  // `folder` to the same name with "swf" for its last three letters, showing progress
  // after each, until the user asks to stop. A file would never be extracted onto
  // itself: an item whose output is its own path is skipped.
  void ConvertProjectors(const std::string& folder, const std::vector<BatchItem>& items, bool selectedOnly,
                         BatchProgress& progress);
  // The progress label's full width.
  static constexpr int kProgressWidth = 224;

 private:
  Ports ports_;
  ProjectorHost& host_;
  std::size_t windowBytes_;
};

}  // namespace tavelin
