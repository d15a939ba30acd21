// Filling the file list from a folder of 10,000 movies, and sorting that list by each
// of its three columns.
#include <benchmark/benchmark.h>

#include <string>

#include "support/fake_world.h"

namespace tavelin::testing {
namespace {

constexpr int kMovies = 10'000;

// A main window whose current folder holds kMovies movies of varied names, sizes and times.
struct LargeFolder : FakeWorld {
  LargeFolder() {
    std::uint32_t seed = 12345;
    auto next = [&seed] {
      seed = seed * 1103515245u + 12345u;
      return seed >> 8;
    };
    for (int i = 0; i < kMovies; ++i) {
      const std::string name =
          (i % 2 ? "Movie_" : "clip ") + std::to_string(next() % 100000) + "-" + std::to_string(i) + ".swf";
      files.AddFile("C:\\Movies\\" + name, std::vector<std::uint8_t>(next() % 4096), attr::kArchive,
                    FileTime{133000000000000000 + static_cast<std::int64_t>(next()) * 10'000'000});
    }
    cwin.Library().CurrentFolder = "C:\\Movies\\";
  }
};

void BM_ListFolder(benchmark::State& state) {
  LargeFolder folder;
  for (auto _ : state) {
    folder.cwin.Library().List().Clear();
    folder.cwin.Library().ListEvents().ListFolder("C:\\Movies\\", "swf");
    benchmark::DoNotOptimize(folder.cwin.Library().List().Count());
  }
  state.counters["rows"] = folder.cwin.Library().List().Count();
}
BENCHMARK(BM_ListFolder)->Unit(benchmark::kMillisecond);

// The fake file system's own share of the listing above, for comparison.
void BM_FakeDirectoryListingAlone(benchmark::State& state) {
  LargeFolder folder;
  for (auto _ : state) benchmark::DoNotOptimize(folder.files.List("C:\\Movies\\*.swf").size());
}
BENCHMARK(BM_FakeDirectoryListingAlone)->Unit(benchmark::kMillisecond);

// Each iteration sorts the freshly listed (unsorted) rows once by the column.
void BM_SortByColumn(benchmark::State& state) {
  const int column = static_cast<int>(state.range(0));
  LargeFolder folder;
  folder.cwin.Library().ListEvents().ListFolder("C:\\Movies\\", "swf");
  FileList& list = folder.cwin.Library().List();
  std::vector<FileRow> rows;
  for (int i = 0; i < list.Count(); ++i) rows.push_back(list.Row(i));
  for (auto _ : state) {
    state.PauseTiming();
    FileList fresh;
    fresh.Append(rows);
    state.ResumeTiming();
    fresh.SortBy(column, 0);
    benchmark::DoNotOptimize(fresh.Row(0).text.data());
  }
}
BENCHMARK(BM_SortByColumn)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavelin::testing
