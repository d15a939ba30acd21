#pragma once
// The projector tools: cutting the movies out of a projector executable. Packing and
// batch conversion join them here.

#include <string>

#include "platform/ports.h"

namespace tavelin {

// What the projector tools ask of the rest of the program.
class ProjectorHost {
 public:
  virtual ~ProjectorHost() = default;
  // Loads and starts a movie file (reports everything itself).
  virtual void Play(const std::string& file) = 0;
  virtual int ShowMessage(const std::string& text, int style, const std::string& caption = {}) = 0;
};

class ProjectorTools {
 public:
  ProjectorTools(Ports ports, ProjectorHost& host) : ports_(ports), host_(host) {}

  // Writes the movie inside the projector `source` to `output`; a projector whose movies
  // are found by scanning writes each of them (up to 11) to `output` less its
  // extension followed by 1.swf, 2.swf, ... (a single one to that base + ".swf"). Plays
  // the (last) movie written when `playAfter`, unless the scan reached its limit.
  // Silent when an argument is empty, the source is missing or holds no movie; any
  // failure is reported once at the end, and files already written stay.
  void ExtractSwf(const std::string& source, const std::string& output, bool playAfter);

 private:
  Ports ports_;
  ProjectorHost& host_;
};

}  // namespace tavelin
