#pragma once
// The search of whole drives for movies, which files every movie found under
// "搜索结果" and then reports how many were new and plays the first of them; and the
// validity check of the listed files.

#include <string>
#include <unordered_set>
#include <vector>

#include "platform/ports.h"
#include "search/search_host.h"

namespace tavelin {

class DriveSearch {
 public:
  DriveSearch(Ports ports, SearchHost& host) : ports_(ports), host_(host) {}

  // Searches each root ("C:\") in order, then reports and plays the first new movie.
  void SearchDrives(const std::vector<std::string>& roots);

  // Walks `folder` (ending in "\") and everything below it, depth first: a folder's
  // movies are filed before its subfolders are entered, one yield per folder. Every
  // subfolder is walked however many a folder holds; folders that cannot be read are
  // skipped. Links end: the system tells a folder's identity at the start and at each
  // junction or link, and a link to a folder walked from the start or through another
  // link is not followed (one into a plain folder walked before is followed once).
  void SearchFolder(const std::string& folder);

  // Checks that each file (full paths, in list order) starts like a movie ("?WS");
  // names the others in one message. A file that cannot be read, or is shorter than
  // three bytes, is no movie.
  void CheckValidity(const std::vector<std::string>& paths);

  static constexpr int kProgressWidth = 224;

 private:
  Ports ports_;
  SearchHost& host_;
  std::unordered_set<std::string> visited_;  // identities of the folders walked by this search
};

}  // namespace tavelin
