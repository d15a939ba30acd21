// A movie packed behind the real data.dat is a projector that plays it, and the
// extraction gets the movie back byte for byte.
#include "win32/windows_api.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "program_under_test.h"
#include "projector/projector_layout.h"
#include "support/swf_writer.h"
#include "win32/text.h"

namespace tavelin::e2e {
namespace {

std::vector<std::uint8_t> ReadAll(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Projector, APackedMovieOpensInAWindowOfItsStageAndExtractsBackWhole) {
  const std::vector<std::uint8_t> stub = ReadAll(ProgramUnderTest::BuildFolder() + L"data.dat");
  ASSERT_GT(stub.size(), 0x74u);
  EXPECT_EQ(stub[0x70], 0);  // the marker: the stub's own length follows
  EXPECT_EQ(static_cast<std::size_t>(stub[0x71]) << 16 | static_cast<std::size_t>(stub[0x72]) << 8 | stub[0x73],
            stub.size());

  const std::vector<std::uint8_t> movie = testing::SwfWriter()
                                              .Compressed(true)
                                              .StagePixels(320, 240)
                                              .BackgroundColor({200, 30, 30})
                                              .DefineRectangle(1, 100 * 20, 100 * 20, {0, 0, 255})
                                              .PlaceObject(1, 1)
                                              .ShowFrame()
                                              .Bytes();
  std::vector<std::uint8_t> packed = stub;
  packed.insert(packed.end(), movie.begin(), movie.end());
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring path = std::wstring(temp) + L"小电影.exe";
  {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(packed.data()), static_cast<std::streamsize>(packed.size()));
  }

  const projector::ProjectorContents contents = projector::FindMovies(packed);
  ASSERT_EQ(contents.movies.size(), 1u);
  EXPECT_EQ(std::vector<std::uint8_t>(packed.begin() + static_cast<std::ptrdiff_t>(contents.movies[0].start),
                                      packed.end()),
            movie);

  ProgramUnderTest program;
  ASSERT_TRUE(program.StartExecutable(path));
  const HWND window = program.WaitForWindow(L"TavelinProjector", 20000);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(win32::Narrow(ProgramUnderTest::WindowCaption(window)), "小电影");
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 320);
  EXPECT_EQ(client.bottom, 240);
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(10000), 0);
  DeleteFileW(path.c_str());
}

}  // namespace
}  // namespace tavelin::e2e
