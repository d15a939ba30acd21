// Every candidate path ends in ".swf", is not blank, and the candidates appear in
// the command line in order.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "shell/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto paths = tavelin::CommandLineMoviePaths(text);
  std::string lowered(text);
  for (char& c : lowered) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  lowered += ' ';
  std::size_t from = 0;
  for (const std::string& path : paths) {
    if (path.size() < 4 || path.compare(path.size() - 4, 4, ".swf") != 0) std::abort();
    if (path.find_first_not_of(' ') == path.size() - 4) std::abort();
    std::string stem = path.substr(0, path.size() - 4);
    for (char& c : stem) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    const std::size_t at = lowered.find(stem, from);
    if (at == std::string::npos) std::abort();
    from = at + stem.size();
  }
  return 0;
}
