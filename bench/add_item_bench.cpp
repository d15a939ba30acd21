// Filing movies in the library tree: 100,000 distinct names, then the same names
// again, which the tree must refuse without scanning.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "library/library_tree.h"

namespace {

constexpr int kMovies = 100000;

std::vector<std::string> MoviePaths() {
  std::vector<std::string> paths;
  paths.reserve(kMovies);
  for (int i = 0; i < kMovies; ++i) {
    paths.push_back("C:\\Movies\\Series " + std::to_string(i % 97) + "\\movie" + std::to_string(i) + ".swf");
  }
  return paths;
}

void BuildRoots(tavelin::LibraryTree& tree) {
  tree.Add(0, "", "我的电脑", tavelin::tree_image::kMyComputer);
  tree.Add(0, "", "搜索结果", tavelin::tree_image::kClosedFolder, tavelin::tree_tag::kCategory);
}

void BM_AddDistinctMovies(benchmark::State& state) {
  const std::vector<std::string> paths = MoviePaths();
  for (auto _ : state) {
    state.PauseTiming();
    auto tree = std::make_unique<tavelin::LibraryTree>();
    BuildRoots(*tree);
    state.ResumeTiming();
    for (const std::string& path : paths) benchmark::DoNotOptimize(tavelin::AddItem(*tree, path, "", 2));
    state.PauseTiming();
    if (tree->Count() != kMovies + 2) state.SkipWithError("movies missing");
    tree.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kMovies);
}
BENCHMARK(BM_AddDistinctMovies)->Unit(benchmark::kMillisecond);

void BM_RefuseTheSameMoviesAgain(benchmark::State& state) {
  const std::vector<std::string> paths = MoviePaths();
  tavelin::LibraryTree tree;
  BuildRoots(tree);
  for (const std::string& path : paths) tavelin::AddItem(tree, path, "", 2);
  for (auto _ : state) {
    for (const std::string& path : paths) benchmark::DoNotOptimize(tavelin::AddItem(tree, path, "", 2));
  }
  if (tree.Count() != kMovies + 2) state.SkipWithError("a duplicate was filed");
  state.SetItemsProcessed(state.iterations() * kMovies);
}
BENCHMARK(BM_RefuseTheSameMoviesAgain)->Unit(benchmark::kMillisecond);

}  // namespace
