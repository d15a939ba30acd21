// Dropping 1,000 selected list rows onto a category of a 100,000-movie library.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "support/fake_world.h"

namespace {

constexpr int kLibraryMovies = 100000;
constexpr int kDraggedRows = 1000;

void BM_DropThousandRowsOnACategory(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto world = std::make_unique<tavelin::testing::FakeWorld>();
    tavelin::Library& library = world->cwin.Library();
    tavelin::LibraryTree& tree = library.Tree();
    tree.Add(0, "", "我的电脑", tavelin::tree_image::kMyComputer);
    tree.Add(0, "", "搜索结果", tavelin::tree_image::kClosedFolder, tavelin::tree_tag::kCategory);
    const int category = tree.Add(0, "", "Cartoons", tavelin::tree_image::kClosedFolder, tavelin::tree_tag::kCategory);
    for (int i = 0; i < kLibraryMovies; ++i) {
      tavelin::AddItem(tree, "C:\\Library\\movie" + std::to_string(i) + ".swf", "", 2);
    }
    std::vector<tavelin::FileRow> rows;
    for (int i = 0; i < kDraggedRows; ++i) rows.push_back({"new" + std::to_string(i) + ".swf", "", "", false});
    library.List().Append(std::move(rows));
    for (int i = 0; i < kDraggedRows; ++i) library.List().SetSelected(i, true);
    library.CurrentFolder = "D:\\New\\";
    state.ResumeTiming();

    library.Drag().StartFromList();
    library.Drag().DragOver(category, true);
    library.Drag().Drop();
    library.Drag().Complete();

    state.PauseTiming();
    if (tree.Children(category).size() != kDraggedRows) state.SkipWithError("rows not filed");
    world.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_DropThousandRowsOnACategory)->Unit(benchmark::kMillisecond);

}  // namespace
