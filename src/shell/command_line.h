#pragma once
// The movie paths named on the program's command line.

#include <string>
#include <string_view>
#include <vector>

namespace tavelin {

// Splits the command line (the argument text without the program's own name) into
// the movie paths it names, first to last. Paths are unquoted, may contain spaces,
// and each ends in ".swf" followed by one space; the extension is matched in any
// letter case and every candidate is returned ending in ".swf" in small letters.
// Pieces that are empty or only spaces name no file and are left out.
std::vector<std::string> CommandLineMoviePaths(std::string_view commandLine);

}  // namespace tavelin
