#include "library/file_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavelin {
namespace {

// Records what the list tells its control, one line per notice.
class RecordingObserver : public FileListObserver {
 public:
  std::vector<std::string> notices;
  void RowsReset() override { notices.push_back("reset"); }
  void RowRemoved(int row) override { notices.push_back("removed " + std::to_string(row)); }
  void RowChanged(int row) override { notices.push_back("changed " + std::to_string(row)); }
  void SelectionChanged() override { notices.push_back("selection"); }
  void HeaderImageChanged(int column, int image) override {
    notices.push_back("header " + std::to_string(column) + "=" + std::to_string(image));
  }
  void ColumnsFitRequested() override { notices.push_back("fit"); }
  void LabelEditStarted(int row) override { notices.push_back("edit " + std::to_string(row)); }
};

FileRow Row(std::string name, unsigned long long bytes = 0, std::string time = "2024/01/01 00:00") {
  return {std::move(name), SizeText(bytes), std::move(time), false};
}

std::vector<std::string> Names(const FileList& list) {
  std::vector<std::string> names;
  for (int i = 0; i < list.Count(); ++i) names.push_back(list.Row(i).text);
  return names;
}

TEST(FileListSizeText, RoundsKilobytesPlusAHalfToEvenAndPadsToFive) {
  const struct {
    unsigned long long bytes;
    const char* text;
  } cases[] = {
      {0, "    0 KB"},          {1, "    1 KB"},          {511, "    1 KB"},         {512, "    1 KB"},
      {1023, "    1 KB"},       {1024, "    2 KB"},       {1025, "    2 KB"},        {2048, "    2 KB"},
      {2560, "    3 KB"},       {3072, "    4 KB"},       {4096, "    4 KB"},        {10240, "   10 KB"},
      {10239, "   10 KB"},      {10241, "   11 KB"},      {102399999, "100000 KB"}, {102400000, "100000 KB"},
      {102400001, "100001 KB"}, {99999ull * 1024 - 1, "99999 KB"},
      {18446744073709551615ull, "18014398509481984 KB"},
  };
  for (const auto& c : cases) EXPECT_EQ(SizeText(c.bytes), c.text) << c.bytes;
}

TEST(FileListRows, AppendKeepsTheOrderGivenAndTellsTheControlOncePerBatch) {
  FileList list;
  RecordingObserver seen;
  list.SetObserver(&seen);
  list.Append({Row("b.swf"), Row("A.swf"), Row("c.swf")});
  list.Append({});
  list.Append({Row("0.swf")});
  EXPECT_EQ(Names(list), (std::vector<std::string>{"b.swf", "A.swf", "c.swf", "0.swf"}));
  EXPECT_FALSE(list.Sorted());
  EXPECT_EQ(seen.notices, (std::vector<std::string>{"reset", "reset"}));
}

TEST(FileListRows, RemoveAndSetTextNameTheirRowAndIgnoreRowsOutsideTheList) {
  FileList list;
  RecordingObserver seen;
  list.Append({Row("a.swf"), Row("b.swf"), Row("c.swf")});
  list.SetObserver(&seen);
  list.Remove(1);
  list.SetText(1, "z.swf");
  list.Remove(2);
  list.Remove(-1);
  list.SetText(5, "x");
  list.StartLabelEdit(7);
  list.StartLabelEdit(0);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"a.swf", "z.swf"}));
  EXPECT_EQ(seen.notices, (std::vector<std::string>{"removed 1", "changed 1", "edit 0"}));
}

TEST(FileListRows, ClearEmptiesTheListButKeepsTheSortState) {
  FileList list;
  list.Append({Row("b"), Row("a")});
  list.SelectOnly(1);
  list.SortBy(2, 1);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.SelectedItem(), -1);
  EXPECT_TRUE(list.Sorted());
  EXPECT_EQ(list.SortKey(), 2);
  EXPECT_EQ(list.SortOrder(), 1);
}

TEST(FileListSelection, SelectingNotifiesAndTracksTheCurrentRow) {
  FileList list;
  RecordingObserver seen;
  list.Append({Row("a"), Row("b"), Row("c"), Row("d")});
  list.SetObserver(&seen);

  list.SelectOnly(2);
  EXPECT_EQ(list.SelectedItem(), 2);
  list.SetSelected(0, true);
  EXPECT_EQ(list.SelectedItem(), 0);
  EXPECT_EQ(list.SelectedRows(), (std::vector<int>{0, 2}));
  list.SetSelected(2, false);
  EXPECT_EQ(list.SelectedRows(), (std::vector<int>{0}));
  EXPECT_EQ(list.SelectedItem(), 0);
  list.SelectOnly(3);
  EXPECT_EQ(list.SelectedRows(), (std::vector<int>{3}));
  list.ClearSelection();
  EXPECT_TRUE(list.SelectedRows().empty());
  EXPECT_EQ(list.SelectedItem(), -1);
  EXPECT_EQ(seen.notices, std::vector<std::string>(5, "selection"));
}

TEST(FileListSelection, ChangesMadeByTheControlAreRecordedQuietly) {
  FileList list;
  RecordingObserver seen;
  list.Append({Row("a"), Row("b"), Row("c")});
  list.SetObserver(&seen);
  list.SelectFromView(1, true, true);
  list.SelectFromView(2, true, false);
  EXPECT_EQ(list.SelectedItem(), 1);
  EXPECT_EQ(list.SelectedRows(), (std::vector<int>{1, 2}));
  list.SelectFromView(1, false, false);
  EXPECT_EQ(list.SelectedItem(), -1);
  list.SelectFromView(9, true, true);
  list.SelectFromView(-1, true, true);
  EXPECT_EQ(list.SelectedItem(), -1);
  EXPECT_TRUE(seen.notices.empty());
}

TEST(FileListSelection, RemovingRowsKeepsTheCurrentRowOnItsFile) {
  FileList list;
  list.Append({Row("a"), Row("b"), Row("c")});
  list.SelectOnly(2);
  list.Remove(0);
  EXPECT_EQ(list.SelectedItem(), 1);
  EXPECT_EQ(list.Row(list.SelectedItem()).text, "c");
  list.Remove(1);
  EXPECT_EQ(list.SelectedItem(), -1);
}

TEST(FileListSorting, NamesSortWithoutRegardToAsciiCaseInEitherDirection) {
  FileList list;
  list.Append({Row("beta.swf"), Row("Alpha.swf"), Row("_x.swf"), Row("动画.swf"), Row("ALPHA2.swf"), Row("a.swf")});
  list.SortBy(0, 0);
  EXPECT_EQ(Names(list),
            (std::vector<std::string>{"_x.swf", "a.swf", "Alpha.swf", "ALPHA2.swf", "beta.swf", "动画.swf"}));
  list.SortBy(0, 1);
  EXPECT_EQ(Names(list),
            (std::vector<std::string>{"动画.swf", "beta.swf", "ALPHA2.swf", "Alpha.swf", "a.swf", "_x.swf"}));
}

TEST(FileListSorting, PaddedSizesSortInNumericOrder) {
  FileList list;
  list.Append({Row("big", 99998ull * 1024), Row("ten", 10240), Row("empty", 0), Row("two", 2048), Row("nine", 9000)});
  list.SortBy(1, 0);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"empty", "two", "nine", "ten", "big"}));
  list.SortBy(1, 1);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"big", "ten", "nine", "two", "empty"}));
}

TEST(FileListSorting, FixedWidthTimesSortInTimeOrder) {
  FileList list;
  list.Append({Row("dec", 0, "2023/12/31 23:59"), Row("feb", 0, "2024/02/01 00:00"),
               Row("nov", 0, "2024/11/01 09:05"), Row("jan", 0, "2024/01/15 10:00")});
  list.SortBy(2, 0);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"dec", "jan", "feb", "nov"}));
}

TEST(FileListSorting, EqualTextsKeepTheirPreviousOrder) {
  FileList list;
  list.Append({Row("c", 1), Row("a", 5000), Row("b", 1), Row("d", 5000)});
  list.SortBy(1, 0);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"c", "b", "a", "d"}));
  list.SortBy(1, 1);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "d", "c", "b"}));

  // Enough rows that an unstable sort would mix them up.
  FileList many;
  std::vector<FileRow> rows;
  for (int i = 0; i < 200; ++i) rows.push_back(Row(std::to_string(1000 + i), (i * 7 % 3) * 1024));
  many.Append(rows);
  many.SortBy(1, 0);
  for (int i = 1; i < many.Count(); ++i) {
    const FileRow& before = many.Row(i - 1);
    const FileRow& after = many.Row(i);
    EXPECT_TRUE(before.size < after.size || (before.size == after.size && before.text < after.text)) << i;
  }
}

TEST(FileListSorting, RowsAddedToASortedListGoInOrderWithOneNotice) {
  FileList list;
  RecordingObserver seen;
  list.Append({Row("m"), Row("c")});
  list.SortBy(0, 0);
  list.SetObserver(&seen);
  list.Append({Row("z"), Row("A"), Row("n")});
  EXPECT_EQ(Names(list), (std::vector<std::string>{"A", "c", "m", "n", "z"}));
  EXPECT_EQ(seen.notices, (std::vector<std::string>{"reset"}));
}

TEST(FileListSorting, TheCurrentRowMovesWithItsFile) {
  FileList list;
  list.Append({Row("b"), Row("c"), Row("a")});
  list.SelectOnly(0);
  list.SortBy(0, 1);
  EXPECT_EQ(list.Row(list.SelectedItem()).text, "b");
  EXPECT_TRUE(list.Row(list.SelectedItem()).selected);
  list.Append({Row("bb")});
  EXPECT_EQ(list.Row(list.SelectedItem()).text, "b");
}

TEST(FileListSorting, SortingAndHeaderMarksAreReportedAndBadArgumentsIgnored) {
  FileList list;
  RecordingObserver seen;
  list.SetObserver(&seen);
  list.SortBy(3, 0);
  list.SortBy(0, 2);
  list.SortBy(-1, 1);
  EXPECT_FALSE(list.Sorted());
  list.SortBy(1, 1);
  list.SetHeaderImage(1, 8);
  list.SetHeaderImage(3, 9);
  EXPECT_EQ(list.HeaderImage(1), 8);
  EXPECT_EQ(list.SortKey(), 1);
  EXPECT_EQ(seen.notices, (std::vector<std::string>{"reset", "header 1=8"}));
}

}  // namespace
}  // namespace tavelin
