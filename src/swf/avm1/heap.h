#pragma once
// Owns every cell of the script machine: interns strings (one cell per text), hands out
// objects, and frees by mark and sweep what the roots no longer reach. Collection runs
// only between scripts, so values held by running native code never need rooting.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "swf/avm1/value.h"

namespace tavelin::swf::avm1 {

// The most cells alive at once; a script that makes more is stopped.
inline constexpr std::size_t kMaxCells = 4'000'000;
// The longest string a script can build, and the most string bytes alive at once.
inline constexpr std::size_t kMaxStringBytes = 16u << 20;
inline constexpr std::size_t kMaxHeapStringBytes = std::size_t{256} << 20;

class Heap {
 public:
  Heap() = default;
  Heap(const Heap&) = delete;
  Heap& operator=(const Heap&) = delete;
  ~Heap();

  template <class T, class... Args>
  T* New(Args&&... args) {
    T* cell = new T(std::forward<Args>(args)...);
    Adopt(cell);
    return cell;
  }

  String* Intern(std::string_view text);
  String* Intern(std::string&& text);
  String* Intern(const char* text) { return Intern(std::string_view(text)); }
  // The interned lower-case form of `text`: ASCII, and beyond it when `foldBeyondAscii`
  // (names of version 6 movies).
  String* Folded(String* text);
  bool foldBeyondAscii = false;
  String* NumberName(std::size_t number);

  std::size_t CellCount() const { return count_; }
  bool OverBudget() const { return count_ > kMaxCells || stringBytes_ > kMaxHeapStringBytes; }

  // Frees every cell not reachable from `roots` (nor pinned).
  void Collect(std::vector<Cell*> roots);

 private:
  void Adopt(Cell* cell);

  Cell* cells_ = nullptr;
  std::size_t count_ = 0;
  std::size_t stringBytes_ = 0;
  std::unordered_map<std::string_view, String*> strings_;
  std::vector<String*> smallNumbers_;
};

}  // namespace tavelin::swf::avm1
