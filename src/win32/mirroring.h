#pragma once
// Counts a view's own changes to its control, so that the notifications those
// changes cause are not taken for the user's gestures.

namespace tavelin::win32 {

class Mirroring {
 public:
  explicit Mirroring(int& depth) : depth_(depth) { ++depth_; }
  ~Mirroring() { --depth_; }
  Mirroring(const Mirroring&) = delete;
  Mirroring& operator=(const Mirroring&) = delete;

 private:
  int& depth_;
};

}  // namespace tavelin::win32
