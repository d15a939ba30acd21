#pragma once
// The ports every subsystem reaches the system through, handed around together.

#include "platform/code_page.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"

namespace tavelin {

struct Ports {
  FileSystem& files;
  Dialogs& dialogs;
  Desktop& desktop;
  CodePage& codePage;
};

}  // namespace tavelin
