#pragma once
// What the drive search and the validity check ask of the rest of the program.

#include <string>

namespace tavelin {

class LibraryTree;

class SearchHost {
 public:
  virtual ~SearchHost() = default;

  virtual LibraryTree& Tree() = 0;
  // Loads and starts a movie file (reports everything itself).
  virtual void Play(const std::string& file) = 0;
  virtual int ShowMessage(const std::string& text, int style, const std::string& caption = {}) = 0;
  // The toolbar's find button stays pressed while a search runs; pressing it then stops it.
  virtual void SetFindButtonPressed(bool pressed) = 0;
  // The stop request shared with the other long tasks (Esc, the find button).
  virtual void SetStopRequested(bool stop) = 0;
  // Lets the window answer input once; true when the user asked to stop.
  virtual bool YieldAndCheckStop() = 0;
  // The validity check's progress: the label in place of the bar, the tree disabled.
  virtual void BeginCheck() = 0;
  virtual void SetCheckProgressWidth(int width) = 0;
  virtual void EndCheck() = 0;
};

}  // namespace tavelin
