#include "library/file_list.h"

#include <algorithm>
#include <numeric>
#include <string_view>

#include "platform/text.h"

namespace tavelin {
namespace {

const std::string& Cell(const FileRow& row, int column) {
  switch (column) {
    case 1:
      return row.size;
    case 2:
      return row.time;
    default:
      return row.text;
  }
}

// Byte order with ASCII letters folded: "  10 KB" < " 200 KB", "2024/01/05" <
// "2024/11/05", "abc" == "ABC". UTF-8 bytes keep code point order.
bool TextLess(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const auto x = static_cast<unsigned char>(LowerAscii(a[i]));
    const auto y = static_cast<unsigned char>(LowerAscii(b[i]));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

}  // namespace

void FileList::Clear() {
  rows_.clear();
  current_ = -1;
  if (observer_) observer_->RowsReset();
}

void FileList::Append(std::vector<FileRow> rows) {
  if (rows.empty()) return;
  if (rows_.empty()) {
    rows_ = std::move(rows);
  } else {
    rows_.reserve(rows_.size() + rows.size());
    std::move(rows.begin(), rows.end(), std::back_inserter(rows_));
  }
  // One stable sort of the whole list: the earlier rows are already in order, and
  // among equal texts the new rows follow the old ones.
  if (sorted_) Resort();
  if (observer_) observer_->RowsReset();
}

void FileList::Remove(int row) {
  if (!HasRow(row)) return;
  rows_.erase(rows_.begin() + row);
  if (current_ == row) {
    current_ = -1;
  } else if (current_ > row) {
    --current_;
  }
  if (observer_) observer_->RowRemoved(row);
}

void FileList::SetText(int row, const std::string& text) {
  if (!HasRow(row)) return;
  rows_[static_cast<std::size_t>(row)].text = text;
  if (observer_) observer_->RowChanged(row);
}

void FileList::SelectOnly(int row) {
  for (FileRow& r : rows_) r.selected = false;
  current_ = -1;
  if (HasRow(row)) {
    rows_[static_cast<std::size_t>(row)].selected = true;
    current_ = row;
  }
  if (observer_) observer_->SelectionChanged();
}

void FileList::ClearSelection() { SelectOnly(-1); }

void FileList::SetSelected(int row, bool selected) {
  if (!HasRow(row)) return;
  rows_[static_cast<std::size_t>(row)].selected = selected;
  if (selected) current_ = row;
  if (observer_) observer_->SelectionChanged();
}

std::vector<int> FileList::SelectedRows() const {
  std::vector<int> selected;
  for (int row = 0; row < Count(); ++row) {
    if (rows_[static_cast<std::size_t>(row)].selected) selected.push_back(row);
  }
  return selected;
}

void FileList::SelectFromView(int row, bool selected, bool current) {
  if (!HasRow(row)) return;
  rows_[static_cast<std::size_t>(row)].selected = selected;
  if (current) {
    current_ = row;
  } else if (current_ == row) {
    current_ = -1;
  }
}

void FileList::SortBy(int column, int order) {
  if (column < 0 || column >= kColumns || (order != 0 && order != 1)) return;
  sorted_ = true;
  sortKey_ = column;
  sortOrder_ = order;
  Resort();
  if (observer_) observer_->RowsReset();
}

void FileList::Resort() {
  const int column = sortKey_;
  const bool descending = sortOrder_ == 1;
  std::vector<std::size_t> order(rows_.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  // Names sort as the user's locale sorts them (Chinese names in pinyin order, as
  // Explorer shows them); the padded size texts and fixed-width times sort byte by byte,
  // which is numeric and time order.
  const auto less = [&](const std::string& x, const std::string& y) {
    if (column == 0 && collation_) return collation_(x, y) < 0;
    return TextLess(x, y);
  };
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const std::string& left = Cell(rows_[a], column);
    const std::string& right = Cell(rows_[b], column);
    return descending ? less(right, left) : less(left, right);
  });
  std::vector<FileRow> sorted;
  sorted.reserve(rows_.size());
  int current = -1;
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (static_cast<int>(order[i]) == current_) current = static_cast<int>(i);
    sorted.push_back(std::move(rows_[order[i]]));
  }
  rows_ = std::move(sorted);
  current_ = current;
}

void FileList::SetHeaderImage(int column, int image) {
  if (column < 0 || column >= kColumns) return;
  headerImages_[column] = image;
  if (observer_) observer_->HeaderImageChanged(column, image);
}

void FileList::RequestColumnsFit() {
  if (observer_) observer_->ColumnsFitRequested();
}

void FileList::StartLabelEdit(int row) {
  if (!HasRow(row)) return;
  if (observer_) observer_->LabelEditStarted(row);
}

std::string SizeText(unsigned long long bytes) {
  // bytes / 1024 + 0.5, rounded half to even, in exact integer arithmetic.
  unsigned long long kilobytes = bytes / 1024;
  unsigned long long remainder = bytes % 1024 + 512;  // in 1/1024 units
  if (remainder >= 1024) {
    ++kilobytes;
    remainder -= 1024;
  }
  if (remainder > 512 || (remainder == 512 && kilobytes % 2 == 1)) ++kilobytes;
  std::string digits = std::to_string(kilobytes);
  if (digits.size() < 5) digits.insert(0, 5 - digits.size(), ' ');
  return digits + " KB";
}

}  // namespace tavelin
