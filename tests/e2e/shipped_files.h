#pragma once
// What the checks of the installer and of the portable zip need from the system: the
// packages in build/dist, files and folders, registry values, shortcuts and programs
// run to their end.

#include "win32/windows_api.h"

#include <shlobj.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavelin::e2e {

// The files of the program folder, as the build writes them beside Tavelin.exe.
inline const std::vector<std::wstring> kProgramFiles{L"Tavelin.exe", L"data.dat", L"Tavelin.chm"};
inline constexpr const wchar_t* kVersion = L"9.3.235.2";

// A file of build\dist, where ./package writes the installer and the zip.
std::wstring DistFile(const std::wstring& name);
std::optional<std::vector<std::uint8_t>> ReadBytes(const std::wstring& path);
bool WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes);
bool FileExists(const std::wstring& path);
// The names in a folder (not "." and ".."), sorted; empty when it does not exist.
std::vector<std::wstring> FolderNames(const std::wstring& folder);
// Removes a folder and everything inside it; true when it is gone.
bool RemoveTree(const std::wstring& folder);
// A known folder of the current user (FOLDERID_...), without a trailing backslash.
std::wstring KnownFolder(REFKNOWNFOLDERID id);
// Where a shell shortcut points, or empty when it cannot be read.
std::wstring ShortcutTarget(const std::wstring& link);
// A string or DWORD value of the registry; nothing when the key or the value is missing.
std::optional<std::wstring> RegistryText(HKEY root, const std::wstring& key, const wchar_t* value);
std::optional<DWORD> RegistryNumber(HKEY root, const std::wstring& key, const wchar_t* value);
bool RegistryKeyExists(HKEY root, const std::wstring& key);
bool SetRegistryText(HKEY root, const std::wstring& key, const wchar_t* value, const std::wstring& text);
// Runs a command line and waits for its end: the exit code, or -1 when it could not be
// started or did not end within the timeout (it is then ended).
long RunAndWait(const std::wstring& commandLine, DWORD timeoutMs);
// Compares paths as Windows does: without regard to case.
bool SamePath(const std::wstring& a, const std::wstring& b);

}  // namespace tavelin::e2e
