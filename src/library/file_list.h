#pragma once
// The file list as data: the truth that the list control shows. Rows carry their
// three column texts; a row's file is always the current folder followed by its text.

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tavelin {

struct FileRow {
  std::string text;  // file name, column 0
  std::string size;  // column 1
  std::string time;  // column 2
  bool selected = false;
};

// What the control showing the list is told.
class FileListObserver {
 public:
  virtual ~FileListObserver() = default;
  // The rows changed wholesale (cleared, filled, sorted): show Count() rows anew.
  virtual void RowsReset() = 0;
  virtual void RowRemoved(int row) = 0;
  virtual void RowChanged(int row) = 0;
  // Selected rows or the current row changed.
  virtual void SelectionChanged() = 0;
  // The header of `column` shows `image` (0: none).
  virtual void HeaderImageChanged(int column, int image) = 0;
  // Fit the three columns to their contents and headers once the rows are in.
  virtual void ColumnsFitRequested() = 0;
  virtual void LabelEditStarted(int row) = 0;
};

class FileList {
 public:
  static constexpr int kColumns = 3;

  void SetObserver(FileListObserver* observer) { observer_ = observer; }

  int Count() const { return static_cast<int>(rows_.size()); }
  bool HasRow(int row) const { return row >= 0 && row < Count(); }
  const FileRow& Row(int row) const { return rows_[static_cast<std::size_t>(row)]; }

  void Clear();
  // Adds rows at the end (or in sort order once the list is sorted), telling the
  // control once for the whole batch.
  void Append(std::vector<FileRow> rows);
  // Row numbers outside the list are ignored here and below.
  void Remove(int row);
  // The row keeps its place even when the list is sorted.
  void SetText(int row, const std::string& text);

  // The current row (-1: none) and the selected rows.
  int SelectedItem() const { return current_; }
  void SelectOnly(int row);
  // Unselects every row; no row is current afterwards.
  void ClearSelection();
  // Selects or unselects one row, leaving the others; selecting makes it the current row.
  void SetSelected(int row, bool selected);
  std::vector<int> SelectedRows() const;
  // The control changed its selection itself: record it quietly.
  void SelectFromView(int row, bool selected, bool current);

  // Sorting by the text of one column, 0 ascending / 1 descending. Until the first
  // sort the rows keep the order they were added in. Names compare through the
  // collation (the user's locale, case ignored); size and time texts, and names while
  // no collation is set, compare byte by byte with ASCII letters folded to lower case:
  // spaces sort before digits, so the padded size texts and the fixed-width times sort
  // in numeric and time order. Rows with equal texts keep their previous order.
  using Collation = std::function<int(const std::string&, const std::string&)>;
  void SetCollation(Collation collation) { collation_ = std::move(collation); }
  bool Sorted() const { return sorted_; }
  int SortKey() const { return sortKey_; }
  int SortOrder() const { return sortOrder_; }
  void SortBy(int column, int order);
  void SetHeaderImage(int column, int image);
  int HeaderImage(int column) const { return headerImages_[static_cast<std::size_t>(column)]; }

  void RequestColumnsFit();
  void StartLabelEdit(int row);

 private:
  void Resort();

  std::vector<FileRow> rows_;
  int current_ = -1;
  bool sorted_ = false;
  int sortKey_ = 0;
  int sortOrder_ = 0;
  int headerImages_[kColumns] = {0, 0, 0};
  FileListObserver* observer_ = nullptr;
  Collation collation_;
};

// "    2 KB": the size in kilobytes, plus a half, rounded with ties to even, padded on
// the left to five characters.
std::string SizeText(unsigned long long bytes);

}  // namespace tavelin
