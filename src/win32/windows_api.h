#pragma once
// <windows.h> for the program's Windows side. windows.h turns CopyFile, DeleteFile
// and GetDriveType into macros for their W forms, which would rename the members of
// the file-system port; they are taken back here so every file sees the same names.

#include <windows.h>

#undef CopyFile
#undef DeleteFile
#undef GetDriveType
