#pragma once
// The category store: the text file beside the program that keeps the library and
// the player options from one run to the next.
//
//   D:\Movies\                  the folder last listed
//   60 0 0 True False False     step, quality, scale mode, auto-play, list loop, movie loop
//                               (an empty line between sections)
//   搜索结果                    the search results, one movie path a line
//   D:\Movies\intro.swf
//
//   Cartoons                    then one section per category
//   D:\Cartoons\cat.swf
//
// Lines end in CR LF and the file ends with two line ends. It is written in the
// system's ANSI code page, so that earlier versions read it. A line that code page
// cannot hold (a path with Korean or emoji in it) is written as "<utf-8:...>", its
// UTF-8 bytes with all but printable ASCII as %XX: nothing is lost, and a reader that
// knows only the ANSI form passes over that line as a path that names no movie.
// Stores written as UTF-8 with a byte-order mark are read as well.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "options/player_options.h"
#include "platform/code_page.h"
#include "platform/failure.h"

namespace tavelin {

class Library;

struct StoredSection {
  std::string name;                 // its first line
  std::vector<std::string> movies;  // the lines after it
};

struct StoredLibrary {
  std::string currentFolder;
  // Header values that converted; the others keep the window's values.
  std::optional<short> stepFrames, qualityIndex, scaleIndex;
  // Play options; a missing or unreadable value turns its option on.
  bool autoPlay = true, listLoop = true, movieLoop = true;
  // Section 1 (the search results) and the categories, in file order.
  std::vector<StoredSection> sections;
  // The description of the last header value that was missing or did not convert.
  std::string lastFailure;
};

// Turns the file's bytes into text: trailing bytes of 32 or less go (never the first
// byte); a UTF-8 byte-order mark means UTF-8, anything else the ANSI code page with
// "<utf-8:...>" lines restored.
std::string DecodeStore(const std::vector<std::uint8_t>& bytes, CodePage& codePage);
StoredLibrary ParseStore(const std::string& text);

// The whole text of the store (without the final extra line end).
std::string BuildStoreText(const Library& library, const PlayerOptions& options);
// The bytes to write: the text and one more line end in the ANSI code page, each line
// that does not fit there in the "<utf-8:...>" form.
std::vector<std::uint8_t> EncodeStore(const std::string& text, CodePage& codePage);

// Construction: reads the store, if there is one, into the library's tree and folder
// and into `options` (`optionsRead` tells whether it did). Values that do not convert
// are recorded in `failures`; filing a movie clears the record, as filing handles its
// own failures. Returns why a store that exists could not be read (locked, denied, too
// large), empty when it was read or there is none: such a store must not be replaced
// by the library the program started without.
std::string ReadCategoryStore(Library& library, PlayerOptions& options, StepRecord& failures, bool& optionsRead);
// Shutdown: writes the store through a temporary file that then replaces the old one,
// so a failed write leaves the previous store whole. Throws Failure when it cannot.
void WriteCategoryStore(Library& library, const PlayerOptions& options);

}  // namespace tavelin
