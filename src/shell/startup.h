#pragma once
// The program's start: build and show the main window, then set up the movie control.
// The control is part of the program, so nothing is installed into the system.

#include <string>

#include "shell/cwin.h"

namespace tavelin {

// Runs the start-up with the argument text of the process. Afterwards the message
// loop drives everything.
void Main(CWin& cwin, OutputWindowHost& putOut, const std::string& commandLine);

}  // namespace tavelin
