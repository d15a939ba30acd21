#pragma once
// A nest of folders under the temporary folder whose innermost path is far longer than
// MAX_PATH, named in Chinese, Korean, kana, Greek and emoji (Korean and emoji lie
// outside the ANSI code page 936). Everything in it goes when the object does.

#include "win32/windows_api.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tavelin::win32 {

class DeepFolder {
 public:
  explicit DeepFolder(const std::wstring& tag) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    top_ = std::wstring(temp) + L"tavelin-" + tag + L"-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(Verbatim(top_).c_str(), nullptr);
    path_ = top_;
    const wchar_t* const names[] = {
        L"动画片收藏夹之一个相当长的中文文件夹名字用来把路径拉长到超过两百六十个字符的地步",
        L"한국어 폴더 이름도 꽤 길게 만들어서 경로를 더 늘립니다 애니메이션 모음",
        L"ひらがなとカタカナのフォルダ なまえ ながい アニメーション コレクション",
        L"🎬 Ελληνικά ταινίες και κινούμενα σχέδια 🎞 συλλογή",
        L"更深一层的文件夹 电影动画游戏音乐的收藏整理归档与备份 第二部分 🎵 음악",
        L"Final folder with a plain English name to pass three hundred characters",
    };
    for (const wchar_t* name : names) {
      path_ += name;
      path_ += L'\\';
      CreateDirectoryW(Verbatim(path_).c_str(), nullptr);
    }
  }
  DeepFolder(const DeepFolder&) = delete;
  DeepFolder& operator=(const DeepFolder&) = delete;
  ~DeepFolder() { RemoveTree(top_); }

  // The outermost and the innermost folder, both with a trailing backslash.
  const std::wstring& Top() const { return top_; }
  const std::wstring& Path() const { return path_; }

  static std::wstring Verbatim(const std::wstring& path) { return L"\\\\?\\" + path; }

  static void Write(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    HANDLE file = CreateFileW(Verbatim(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
  }
  static std::vector<std::uint8_t> Read(const std::wstring& path) {
    HANDLE file = CreateFileW(Verbatim(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::vector<std::uint8_t> bytes(GetFileSize(file, nullptr));
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
  }
  static bool Exists(const std::wstring& path) {
    return GetFileAttributesW(Verbatim(path).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

 private:
  static void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Verbatim(folder + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring child = folder + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(child + L"\\");
        } else {
          SetFileAttributesW(Verbatim(child).c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileW(Verbatim(child).c_str());
        }
      } while (FindNextFileW(find, &data));
      FindClose(find);
    }
    RemoveDirectoryW(Verbatim(folder).c_str());
  }

  std::wstring top_, path_;
};

}  // namespace tavelin::win32
