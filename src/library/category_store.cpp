#include "library/category_store.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

#include "library/library_tree.h"
#include "platform/failure.h"
#include "platform/text.h"
#include "library/library.h"

namespace tavelin {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kSectionBreak = "\r\n\r\n";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
// A line the ANSI code page cannot hold is written as "<utf-8:" + its UTF-8 bytes, all
// but printable ASCII as %XX, + ">". Such a line names no file (no path holds "<" or
// ">") and does not end in ".swf", so a reader that knows only the ANSI form passes
// over it; the rest of the store stays readable there.
constexpr std::string_view kMarkedStart = "<utf-8:";
constexpr std::string_view kMarkedEnd = ">";
constexpr std::size_t kLargestStore = 256u << 20;
constexpr const char* kStoreTooLarge = "媒体库文件过大";

std::vector<std::string_view> Split(std::string_view text, std::string_view separator) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (std::size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, start)) {
    pieces.push_back(text.substr(start, at - start));
    start = at + separator.size();
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

// The whole value as a number; anything else is a type mismatch.
std::optional<double> ToNumber(std::string_view value, std::string& failure) {
  const std::string text(value);
  char* end = nullptr;
  const double number = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || std::isnan(number)) {
    failure = failure_text::kTypeMismatch;
    return std::nullopt;
  }
  return number;
}

// A 16-bit integer as the store writes it; fractions round half to even. A value that
// does not convert gives nothing and the description of why.
std::optional<short> ToShort(std::string_view value, std::string& failure) {
  const std::optional<double> number = ToNumber(value, failure);
  if (!number) return std::nullopt;
  const double rounded = std::nearbyint(*number);
  if (rounded < -32768 || rounded > 32767) {
    failure = failure_text::kOverflow;
    return std::nullopt;
  }
  return static_cast<short>(rounded);
}

// "True" or "False" in any letter case, or a number (0 false); anything else is none.
std::optional<bool> ToTruth(std::string_view value, std::string& failure) {
  if (EqualsIgnoreCase(value, "true")) return true;
  if (EqualsIgnoreCase(value, "false")) return false;
  const std::optional<double> number = ToNumber(value, failure);
  if (!number) return std::nullopt;
  return *number != 0;
}

const char* TruthText(bool value) { return value ? "True" : "False"; }

bool Marked(std::string_view line) {
  return line.size() >= kMarkedStart.size() + kMarkedEnd.size() && line.substr(0, kMarkedStart.size()) == kMarkedStart &&
         line.substr(line.size() - kMarkedEnd.size()) == kMarkedEnd;
}

std::string MarkedLine(std::string_view utf8) {
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string line(kMarkedStart);
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && byte != '%') {
      line += c;
    } else {
      line += '%';
      line += kHex[byte >> 4];
      line += kHex[byte & 0xF];
    }
  }
  line += kMarkedEnd;
  return line;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The text of a marked line; a line that only looks marked stays as it is, and so
// does one that would bring a line break back, which would change the sections.
std::string UnmarkedLine(std::string_view line) {
  if (!Marked(line)) return std::string(line);
  const std::string_view inner = line.substr(kMarkedStart.size(), line.size() - kMarkedStart.size() - kMarkedEnd.size());
  std::string text;
  for (std::size_t i = 0; i < inner.size(); ++i) {
    if (inner[i] != '%') {
      text += inner[i];
      continue;
    }
    if (i + 2 >= inner.size()) return std::string(line);
    const int high = HexValue(inner[i + 1]), low = HexValue(inner[i + 2]);
    const int byte = high * 16 + low;
    if (high < 0 || low < 0 || byte == '\r' || byte == '\n') return std::string(line);
    text += static_cast<char>(byte);
    i += 2;
  }
  return text;
}

}  // namespace

std::string DecodeStore(const std::vector<std::uint8_t>& bytes, CodePage& codePage) {
  std::size_t length = bytes.size();
  while (length > 1 && bytes[length - 1] <= 32) --length;
  const std::string raw(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
  // Stores of earlier versions that held such text were UTF-8 throughout.
  if (raw.compare(0, kUtf8Mark.size(), kUtf8Mark) == 0) return raw.substr(kUtf8Mark.size());
  const std::string text = codePage.ToUtf8(raw);
  if (text.find(kMarkedStart) == std::string::npos) return text;
  std::string decoded;
  decoded.reserve(text.size());
  const std::vector<std::string_view> lines = Split(text, kLineEnd);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) decoded += kLineEnd;
    decoded += UnmarkedLine(lines[i]);
  }
  return decoded;
}

StoredLibrary ParseStore(const std::string& text) {
  StoredLibrary library;
  const std::vector<std::string_view> sections = Split(text, kSectionBreak);
  const std::vector<std::string_view> header = Split(sections[0], kLineEnd);
  library.currentFolder = std::string(header[0]);
  std::vector<std::string_view> values;
  if (header.size() > 1) values = Split(header[1], " ");
  std::string& failure = library.lastFailure;
  auto number = [&](std::size_t position) -> std::optional<short> {
    if (position > values.size()) {
      failure = failure_text::kSubscriptOutOfRange;
      return std::nullopt;
    }
    return ToShort(values[position - 1], failure);
  };
  auto truth = [&](std::size_t position) -> bool {
    if (position > values.size()) {
      failure = failure_text::kSubscriptOutOfRange;
      return true;
    }
    return ToTruth(values[position - 1], failure).value_or(true);
  };
  library.stepFrames = number(1);
  library.qualityIndex = number(2);
  library.scaleIndex = number(3);
  library.autoPlay = truth(4);
  library.listLoop = truth(5);
  library.movieLoop = truth(6);
  if (library.listLoop && library.movieLoop) library.listLoop = false;

  for (std::size_t i = 1; i < sections.size(); ++i) {
    const std::vector<std::string_view> lines = Split(sections[i], kLineEnd);
    StoredSection section;
    section.name = std::string(lines[0]);
    section.movies.reserve(lines.size() - 1);
    for (std::size_t line = 1; line < lines.size(); ++line) section.movies.emplace_back(lines[line]);
    library.sections.push_back(std::move(section));
  }
  return library;
}

std::string BuildStoreText(const Library& library, const PlayerOptions& options) {
  std::string text = library.CurrentFolder;
  text += kLineEnd;
  text += std::to_string(options.StepFrames) + " " + std::to_string(options.QualityIndex) + " " +
          std::to_string(options.ScaleIndex) + " " + TruthText(options.AutoPlay) + " " + TruthText(options.ListLoop) +
          " " + TruthText(options.MovieLoop);
  text += kLineEnd;

  const LibraryTree& tree = library.Tree();
  const std::vector<int> topLevel = tree.TopLevel();
  // The search results and then CategoryCount categories, in tree order.
  for (std::size_t position = 1; position < topLevel.size() && position <= static_cast<std::size_t>(library.CategoryCount) + 1;
       ++position) {
    const TreeNode* section = tree.Node(topLevel[position]);
    text += kLineEnd;
    text += section->text;
    for (NodeId child : section->children) {
      const TreeNode* movie = tree.ById(child);
      text += kLineEnd;
      text += movie->tag;
      text += movie->text;
    }
    text += kLineEnd;
  }
  return text;
}

std::vector<std::uint8_t> EncodeStore(const std::string& text, CodePage& codePage) {
  const std::string whole = text + std::string(kLineEnd);
  std::string ansi;
  if (codePage.FromUtf8(whole, ansi) && whole.find(kMarkedStart) == std::string::npos) {
    return {ansi.begin(), ansi.end()};
  }
  std::vector<std::uint8_t> bytes;
  bytes.reserve(whole.size() * 2);
  const std::vector<std::string_view> lines = Split(whole, kLineEnd);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) bytes.insert(bytes.end(), kLineEnd.begin(), kLineEnd.end());
    const std::string line(lines[i]);
    if (Marked(line) || !codePage.FromUtf8(line, ansi)) ansi = MarkedLine(line);
    bytes.insert(bytes.end(), ansi.begin(), ansi.end());
  }
  return bytes;
}

std::string ReadCategoryStore(Library& library, PlayerOptions& options, StepRecord& steps, bool& optionsRead) {
  FileSystem& files = library.System().files;
  std::string path;
  std::string text;
  bool present = false;
  const bool looked = steps.Run([&] {
    path = library.StoreFilePath();
    present = files.FileExists(path);
  });
  if (!looked) return steps.LastFailure();
  if (!present) return {};
  const bool read = steps.Run([&] {
    // One byte more than the limit tells a store that is too large from one at it.
    std::vector<std::uint8_t> bytes = files.ReadFile(path, kLargestStore + 1);
    if (bytes.size() > kLargestStore) throw Failure(kStoreTooLarge);
    text = DecodeStore(bytes, library.System().codePage);
  });
  if (!read) return steps.LastFailure();
  const StoredLibrary stored = ParseStore(text);
  if (!stored.lastFailure.empty()) steps.Run([&] { throw Failure(stored.lastFailure); });

  library.CurrentFolder = stored.currentFolder;
  if (stored.stepFrames) options.StepFrames = *stored.stepFrames;
  if (stored.qualityIndex) options.QualityIndex = *stored.qualityIndex;
  if (stored.scaleIndex) options.ScaleIndex = *stored.scaleIndex;
  // An index outside its menu selects the first item.
  if (options.QualityIndex < 0 || options.QualityIndex >= 5) options.QualityIndex = 0;
  if (options.ScaleIndex < 0 || options.ScaleIndex >= 3) options.ScaleIndex = 0;
  options.AutoPlay = stored.autoPlay;
  options.ListLoop = stored.listLoop;
  options.MovieLoop = stored.movieLoop;
  optionsRead = true;

  LibraryTree& tree = library.Tree();
  for (std::size_t i = 1; i < stored.sections.size(); ++i) {
    tree.Add(0, "", stored.sections[i].name, tree_image::kClosedFolder, tree_tag::kCategory);
  }
  library.CategoryCount = static_cast<int>(stored.sections.size() >= 2 ? stored.sections.size() - 1 : 0);
  for (std::size_t i = 0; i < stored.sections.size(); ++i) {
    const int nodeIndex = static_cast<int>(i) + kSearchResultsIndex;
    for (const std::string& movie : stored.sections[i].movies) {
      steps.Run([&] {
        if (!EndsWithIgnoreCase(movie, ".swf") || !files.FileExists(movie)) return;
        steps.Clear();  // filing handles its own failures
        AddItem(tree, movie, "", nodeIndex);
      });
    }
  }
  return {};
}

void WriteCategoryStore(Library& library, const PlayerOptions& options) {
  FileSystem& files = library.System().files;
  const std::string path = library.StoreFilePath();
  const std::string temporary = path + ".new";
  const std::vector<std::uint8_t> bytes = EncodeStore(BuildStoreText(library, options), library.System().codePage);
  try {
    files.WriteFile(temporary, bytes);
    if (files.FileExists(path)) files.SetAttributesNormal(path);
    files.ReplaceFile(temporary, path);
  } catch (const Failure&) {
    try {
      if (files.FileExists(temporary)) files.DeleteFile(temporary);
    } catch (const Failure&) {
      // The leftover temporary file is replaced by the next write.
    }
    throw;
  }
}

}  // namespace tavelin
