#pragma once
// A main window wired to fakes of every port and of both windows.

#include <gtest/gtest.h>

#include "support/fake_world.h"
#include "support/swf_writer.h"

namespace tavelin::testing {

class MainWindowFixture : public ::testing::Test, protected FakeWorld {
 protected:
  // Writes a movie into the fake file system.
  void AddMovie(const std::string& path, const SwfWriter& movie) { files.AddFile(path, movie.Bytes()); }

  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : dialogs.messages) texts.push_back(m.text);
    return texts;
  }
};

}  // namespace tavelin::testing
