#include "shell/command_line.h"

namespace tavelin {
namespace {

constexpr std::string_view kSeparator = ".swf ";

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SeparatorAt(std::string_view text, std::size_t pos) {
  if (text.size() - pos < kSeparator.size()) return false;
  for (std::size_t i = 0; i < kSeparator.size(); ++i) {
    if (LowerAscii(text[pos + i]) != kSeparator[i]) return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> CommandLineMoviePaths(std::string_view commandLine) {
  std::string text(commandLine);
  text += ' ';

  std::vector<std::string> paths;
  auto addPiece = [&paths](std::string_view piece) {
    if (piece.find_first_not_of(' ') != std::string_view::npos) paths.emplace_back(std::string(piece) + ".swf");
  };
  std::size_t pieceStart = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (SeparatorAt(text, pos)) {
      addPiece(std::string_view(text).substr(pieceStart, pos - pieceStart));
      pos += kSeparator.size();
      pieceStart = pos;
    } else {
      ++pos;
    }
  }
  addPiece(std::string_view(text).substr(pieceStart));
  return paths;
}

}  // namespace tavelin
