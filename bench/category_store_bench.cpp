// Reading and writing a store of 100,000 movies in 200 categories, with the files on
// a fake file system (so the figures are the program's own work).
#include <benchmark/benchmark.h>

#include "library/category_store.h"
#include "shell/cwin.h"
#include "support/fake_desktop.h"
#include "support/fake_dialogs.h"
#include "support/fake_file_system.h"
#include "support/fake_window_hosts.h"
#include "support/iconv_code_page.h"

namespace {

using namespace tavelin;
using namespace tavelin::testing;

constexpr int kCategories = 200;
constexpr int kMoviesPerCategory = 500;

struct StoredFiles {
  StoredFiles() {
    std::string text = "C:\\Movies\\\r\n60 0 0 True False False\r\n\r\nSearch";
    for (int c = 0; c < kCategories; ++c) {
      text += "\r\n\r\nCategory " + std::to_string(c);
      for (int m = 0; m < kMoviesPerCategory; ++m) {
        const std::string path = "C:\\Movies\\Folder " + std::to_string(c) + "\\movie " + std::to_string(m) + " of " +
                                 std::to_string(c) + ".swf";
        files.AddFile(path);
        text += "\r\n" + path;
      }
    }
    text += "\r\n\r\n";
    files.AddFile("C:\\Program Files\\Tavelin\\Tavelin.ini", text);
  }
  FakeFileSystem files;
  FakeDialogs dialogs;
  FakeDesktop desktop;
  IconvCodePage codePage;
};

// A fresh window over the library's files that has read the store.
struct Reader {
  explicit Reader(StoredFiles& library)
      : cwin(Ports{library.files, library.dialogs, library.desktop, library.codePage}, window, output) {
    cwin.AppFolder = "C:\\Program Files\\Tavelin\\";
    cwin.Library().Tree().Add(0, "", "我的电脑", 1);
    cwin.Library().Tree().Add(0, "", "搜索结果", 6, "2");
    StepRecord failures;
    bool optionsRead = false;
    ReadCategoryStore(cwin.Library(), cwin.Options, failures, optionsRead);
  }
  FakeMainWindow window;
  FakeOutputWindow output;
  CWin cwin;
};

void BM_ReadAndFileTheStore(benchmark::State& state) {
  StoredFiles library;
  for (auto _ : state) {
    Reader reader(library);
    CWin& cwin = reader.cwin;
    if (cwin.Library().Tree().Count() != 2 + kCategories + kCategories * kMoviesPerCategory) state.SkipWithError("not all filed");
  }
  state.counters["movies"] = kCategories * kMoviesPerCategory;
}
BENCHMARK(BM_ReadAndFileTheStore)->Unit(benchmark::kMillisecond);

void BM_WriteTheStore(benchmark::State& state) {
  StoredFiles library;
  Reader reader(library);
  for (auto _ : state) WriteCategoryStore(reader.cwin.Library(), reader.cwin.Options);
}
BENCHMARK(BM_WriteTheStore)->Unit(benchmark::kMillisecond);

}  // namespace
