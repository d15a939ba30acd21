#pragma once
// A projector on disk as the layout decision reads it: a window at a time through the
// file system, never the whole file.

#include <string>
#include <utility>

#include "platform/file_system.h"
#include "projector/projector_layout.h"

namespace tavelin::projector {

class ProjectorFile : public ProjectorBytes {
 public:
  // `size` is the file's length as its folder lists it.
  ProjectorFile(FileSystem& files, std::string path, std::uint64_t size)
      : files_(files), path_(std::move(path)), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  std::size_t Read(std::uint64_t offset, std::span<std::uint8_t> into) override {
    return files_.ReadFileAt(path_, offset, into);
  }

 private:
  FileSystem& files_;
  std::string path_;
  std::uint64_t size_;
};

}  // namespace tavelin::projector
