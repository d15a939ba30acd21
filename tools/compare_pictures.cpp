// compare_pictures ACTUAL.png EXPECTED.png TOLERANCE:MAX_OUTLIERS [...]
//
// Compares two pictures pixel by pixel. For each check, a pixel is an outlier when some
// channel differs by more than TOLERANCE; the check passes with at most MAX_OUTLIERS.
// Prints one line: "pass", "near" (failed, but within a widened tolerance of 24 more
// levels and 1 % of the pixels: anti-aliasing differences) or "fail", with the outlier
// counts. Exit 0 on pass, 1 otherwise, 2 when a picture cannot be read.
#include <stb/stb_image.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Picture {
  int width = 0, height = 0;
  std::unique_ptr<unsigned char, void (*)(void*)> rgba{nullptr, stbi_image_free};
};

Picture Load(const char* path) {
  Picture picture;
  int channels = 0;
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return picture;
  std::vector<unsigned char> bytes;
  unsigned char buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  std::fclose(file);
  picture.rgba.reset(stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &picture.width, &picture.height, &channels, 4));
  return picture;
}

long Outliers(const Picture& a, const Picture& b, int tolerance) {
  long count = 0;
  const long pixels = static_cast<long>(a.width) * a.height;
  for (long i = 0; i < pixels; ++i) {
    for (int c = 0; c < 4; ++c) {
      if (std::abs(a.rgba.get()[i * 4 + c] - b.rgba.get()[i * 4 + c]) > tolerance) {
        ++count;
        break;
      }
    }
  }
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: compare_pictures ACTUAL.png EXPECTED.png TOLERANCE:MAX_OUTLIERS [...]\n");
    return 2;
  }
  const Picture actual = Load(argv[1]);
  const Picture expected = Load(argv[2]);
  if (!actual.rgba || !expected.rgba) {
    std::printf("fail (unreadable picture)\n");
    return 2;
  }
  if (actual.width != expected.width || actual.height != expected.height) {
    std::printf("fail (size %dx%d, expected %dx%d)\n", actual.width, actual.height, expected.width, expected.height);
    return 1;
  }
  bool pass = true, near = true;
  std::string detail;
  const long pixels = static_cast<long>(actual.width) * actual.height;
  for (int i = 3; i < argc; ++i) {
    int tolerance = 0;
    long maxOutliers = 0;
    if (std::sscanf(argv[i], "%d:%ld", &tolerance, &maxOutliers) != 2) return 2;
    const long outliers = Outliers(actual, expected, tolerance);
    pass = pass && outliers <= maxOutliers;
    near = near && Outliers(actual, expected, tolerance + 24) <= std::max(maxOutliers, pixels / 100);
    detail += " " + std::to_string(outliers) + "/" + std::to_string(maxOutliers) + "@" + std::to_string(tolerance);
  }
  std::printf("%s%s\n", pass ? "pass" : near ? "near" : "fail", detail.c_str());
  return pass ? 0 : 1;
}
