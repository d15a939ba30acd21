#include "swf/avm1/heap.h"

#include "swf/avm1/text_case.h"
#include "swf/avm1/text_units.h"

namespace tavelin::swf::avm1 {

Heap::~Heap() {
  while (cells_) {
    Cell* next = cells_->nextCell;
    delete cells_;
    cells_ = next;
  }
}

void Heap::Adopt(Cell* cell) {
  cell->nextCell = cells_;
  cells_ = cell;
  ++count_;
}

String* Heap::Intern(std::string_view text) {
  const auto found = strings_.find(text);
  if (found != strings_.end()) return found->second;
  return Intern(std::string(text));
}

String* Heap::Intern(std::string&& text) {
  const auto found = strings_.find(text);
  if (found != strings_.end()) return found->second;
  if (text.size() > kMaxStringBytes) text.resize(kMaxStringBytes);
  String* cell = New<String>(std::move(text));
  stringBytes_ += cell->text.size();
  strings_.emplace(std::string_view(cell->text), cell);
  return cell;
}

String* Heap::Folded(String* text) {
  if (text->folded) return text->folded;
  std::string lower = text->text;
  bool changed = false;
  bool wide = false;
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
      changed = true;
    }
    wide = wide || static_cast<unsigned char>(c) >= 0x80;
  }
  // Names beyond ASCII fold through the player's own case mapping.
  if (wide && foldBeyondAscii) {
    std::string folded = FromUnits(LowerUnits(ToUnits(lower, 6)), 6);
    if (folded != lower) {
      lower = std::move(folded);
      changed = true;
    }
  }
  String* folded = changed ? Intern(std::move(lower)) : text;
  folded->folded = folded;
  text->folded = folded;
  return folded;
}

String* Heap::NumberName(std::size_t number) {
  if (number < 1024) {
    if (smallNumbers_.empty()) {
      smallNumbers_.resize(1024);
      for (std::size_t i = 0; i < 1024; ++i) {
        smallNumbers_[i] = Intern(std::to_string(i));
        smallNumbers_[i]->pinned = true;
      }
    }
    return smallNumbers_[number];
  }
  return Intern(std::to_string(number));
}

void Heap::Collect(std::vector<Cell*> stack) {
  for (Cell* cell = cells_; cell; cell = cell->nextCell) {
    if (auto* text = dynamic_cast<String*>(cell); text && text->pinned) stack.push_back(text);
  }
  while (!stack.empty()) {
    Cell* cell = stack.back();
    stack.pop_back();
    if (!cell || cell->marked) continue;
    cell->marked = true;
    cell->TraceChildren(stack);
  }
  Cell** link = &cells_;
  while (*link) {
    Cell* cell = *link;
    if (cell->marked) {
      cell->marked = false;
      link = &cell->nextCell;
      continue;
    }
    *link = cell->nextCell;
    if (auto* text = dynamic_cast<String*>(cell)) {
      strings_.erase(std::string_view(text->text));
      stringBytes_ -= text->text.size();
      // A live string whose folded form dies would keep a dangling pointer; folded forms
      // are traced from their strings, so only self-folded strings reach here.
    }
    delete cell;
    --count_;
  }
}

}  // namespace tavelin::swf::avm1
