#pragma once
// The program's start: make sure the movie control file is installed, then build and
// show the main window.

#include <string>

#include "shell/cwin.h"

namespace tavelin {

// Runs the start-up with the argument text of the process. Afterwards the message
// loop drives everything.
void Main(CWin& cwin, OutputWindowHost& putOut, const std::string& commandLine);

}  // namespace tavelin
