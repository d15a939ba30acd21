// Timings of the drive search and the validity check on real files under Wine,
// beside the bare system calls they cannot avoid:
//   search_bench.exe [FOLDER]
// makes (once) a tree of 100,000 files in 10,000 folders holding 20,000 movies under
// FOLDER (default: the temporary folder), then prints the best of three runs of each.
#include "win32/windows_api.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "library/library_tree.h"
#include "search/drive_search.h"
#include "stopwatch.h"
#include "win32/code_page.h"
#include "win32/ports/desktop.h"
#include "win32/ports/dialogs.h"
#include "win32/ports/file_system.h"
#include "win32/text.h"

namespace {

using namespace tavelin;

constexpr int kTop = 100, kInner = 99;        // 100 + 100 x 99 = 10,000 folders
constexpr int kFilesPerFolder = 10, kMoviesPerFolder = 2;
constexpr int kChecked = 10000;

std::wstring FolderName(int top, int inner) {
  std::wstring name = L"d" + std::to_wstring(top);
  if (inner >= 0) name += L"\\e" + std::to_wstring(inner);
  return name;
}

void WriteSmallFile(const std::wstring& path, const char* bytes, DWORD size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes, size, &written, nullptr);
  CloseHandle(file);
}

// Fills one folder with its files: the movies first named after the folder, so no two
// movies of the tree share a name (the library files a name once).
void FillFolder(const std::wstring& folder, int number, std::vector<std::wstring>& all) {
  CreateDirectoryW(folder.c_str(), nullptr);
  for (int k = 0; k < kFilesPerFolder; ++k) {
    const bool movie = k < kMoviesPerFolder;
    const std::wstring path = folder + L"\\" + (movie ? L"m" : L"f") + std::to_wstring(number) + L"_" +
                              std::to_wstring(k) + (movie ? L".swf" : L".txt");
    WriteSmallFile(path, movie ? "FWS\x06" : "text", 4);
    all.push_back(path);
  }
}

std::vector<std::wstring> MakeTree(const std::wstring& root) {
  std::vector<std::wstring> files;
  files.reserve(kTop * (kInner + 1) * kFilesPerFolder);
  const std::wstring marker = root + L"\\complete";
  const bool made = GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (!made) {
    std::printf("making the tree under %s ...\n", win32::Narrow(root).c_str());
    CreateDirectoryW(root.c_str(), nullptr);
  }
  int number = 0;
  for (int top = 0; top < kTop; ++top) {
    const std::wstring topFolder = root + L"\\" + FolderName(top, -1);
    auto fill = [&](const std::wstring& folder) {
      if (!made) {
        FillFolder(folder, number, files);
      } else {
        for (int k = 0; k < kFilesPerFolder; ++k) {
          const bool movie = k < kMoviesPerFolder;
          files.push_back(folder + L"\\" + (movie ? L"m" : L"f") + std::to_wstring(number) + L"_" + std::to_wstring(k) +
                          (movie ? L".swf" : L".txt"));
        }
      }
      ++number;
    };
    fill(topFolder);
    for (int inner = 0; inner < kInner; ++inner) fill(root + L"\\" + FolderName(top, inner));
  }
  if (!made) WriteSmallFile(marker, "", 0);
  return files;
}

// The walk any search must do: every folder enumerated once, names looked at.
int BareWalk(const std::wstring& folder) {
  std::vector<std::wstring> subfolders;
  int movies = 0;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      subfolders.push_back(name);
    } else if (name.size() > 4 && _wcsicmp(name.c_str() + name.size() - 4, L".swf") == 0) {
      ++movies;
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
  for (const std::wstring& sub : subfolders) movies += BareWalk(folder + L"\\" + sub);
  return movies;
}

int BareCheck(const std::vector<std::wstring>& paths) {
  int valid = 0;
  for (const std::wstring& path : paths) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    char head[3] = {};
    DWORD read = 0;
    if (ReadFile(file, head, 3, &read, nullptr) && read == 3 && head[1] == 'W' && head[2] == 'S') ++valid;
    CloseHandle(file);
  }
  return valid;
}

class BenchHost : public SearchHost {
 public:
  explicit BenchHost(Desktop& desktop) : desktop_(desktop) {}
  LibraryTree& Tree() override { return *tree; }
  void Play(const std::string&) override {}
  int ShowMessage(const std::string&, int, const std::string& = {}) override { return 1; }
  void SetFindButtonPressed(bool) override {}
  void SetStopRequested(bool) override {}
  bool YieldAndCheckStop() override {
    desktop_.YieldToMessages();
    return false;
  }
  void BeginCheck() override {}
  void SetCheckProgressWidth(int) override {}
  void EndCheck() override {}
  LibraryTree* tree = nullptr;

 private:
  Desktop& desktop_;
};

template <class Run>
double BestOfThree(Run run) {
  double best = 1e9;
  for (int i = 0; i < 3; ++i) {
    const double start = bench::Seconds();
    run();
    best = std::min(best, bench::Seconds() - start);
  }
  return best;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  std::wstring root = argc > 1 ? argv[1] : std::wstring(temp) + L"tavelin-search-bench";
  while (!root.empty() && root.back() == L'\\') root.pop_back();
  const std::vector<std::wstring> files = MakeTree(root);

  win32::Win32FileSystem fileSystem;
  win32::Win32Dialogs dialogs;
  win32::Win32Desktop desktop;
  win32::AnsiCodePage codePage;
  BenchHost host(desktop);
  DriveSearch search(Ports{fileSystem, dialogs, desktop, codePage}, host);
  const std::string rootUtf8 = win32::Narrow(root) + "\\";

  int bareMovies = 0;
  const double bare = BestOfThree([&] { bareMovies = BareWalk(root); });
  int filed = 0;
  auto searchUnder = [&](const std::string& folder) {
    LibraryTree tree;
    tree.Add(0, "", "我的电脑", 1);
    tree.Add(0, "", "搜索结果", 6, "2");
    host.tree = &tree;
    search.SearchDrives({folder});
    filed = static_cast<int>(tree.Children(kSearchResultsIndex).size());
    host.tree = nullptr;
  };
  const double searched = BestOfThree([&] { searchUnder(rootUtf8); });
  const int filedAll = filed;
  const double half = BestOfThree([&] { searchUnder(rootUtf8 + "d1\\"); });
  const int filedOne = filed;
  std::printf("drive search, %d folders, %zu files: %.3f s filing %d movies; bare FindFirstFile walk %.3f s "
              "(%d movies): %.2fx\n",
              kTop * (kInner + 1), files.size(), searched, filedAll, bare, bareMovies, searched / bare);
  std::printf("  one top folder (%d movies): %.4f s, %.1f us per movie; whole tree %.1f us per movie\n", filedOne,
              half, half * 1e6 / std::max(filedOne, 1), searched * 1e6 / std::max(filedAll, 1));

  // Where a search's time goes, per folder.
  std::vector<std::string> folders;
  for (int top = 0; top < kTop; ++top) {
    folders.push_back(rootUtf8 + win32::Narrow(FolderName(top, -1)) + "\\");
    for (int inner = 0; inner < kInner; ++inner) folders.push_back(rootUtf8 + win32::Narrow(FolderName(top, inner)) + "\\");
  }
  const double listing = BestOfThree([&] {
    for (const std::string& folder : folders) fileSystem.List(folder + "*");
  });
  const double identities = BestOfThree([&] {
    for (const std::string& folder : folders) fileSystem.FolderIdentity(folder);
  });
  const double yields = BestOfThree([&] {
    for (std::size_t i = 0; i < folders.size(); ++i) desktop.YieldToMessages();
  });
  const double perFolder = 1e6 / static_cast<double>(folders.size());
  std::printf("  per folder: listing %.1f us, folder identity %.1f us, one yield %.1f us\n", listing * perFolder,
              identities * perFolder, yields * perFolder);

  std::vector<std::string> checked;
  std::vector<std::wstring> checkedWide;
  for (int i = 0; i < kChecked; ++i) {
    const std::wstring& path = files[static_cast<std::size_t>(i) * files.size() / kChecked];
    checkedWide.push_back(path);
    checked.push_back(win32::Narrow(path));
  }
  int valid = 0;
  const double bareCheck = BestOfThree([&] { valid = BareCheck(checkedWide); });
  const double check = BestOfThree([&] { search.CheckValidity(checked); });
  std::printf("validity check of %d files: %.3f s; bare open and read 3 bytes %.3f s (%d valid): %.2fx\n", kChecked,
              check, bareCheck, valid, check / bareCheck);
  return 0;
}
