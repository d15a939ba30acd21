#include "integration/file_association.h"

#include "platform/failure.h"
#include "platform/path_limits.h"
#include "platform/text.h"

namespace tavelin {
namespace {

// UTF-8 to UTF-16 little endian; bytes that form no character become U+FFFD.
void AppendUtf16(const std::string& utf8, std::vector<std::uint8_t>& out) {
  auto put = [&out](char32_t unit) {
    out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    out.push_back(static_cast<std::uint8_t>(unit >> 8));
  };
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    char32_t code = length == 1 ? lead : length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
    bool valid = length > 0 && i + static_cast<std::size_t>(length) <= utf8.size();
    for (int k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    if (!valid || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      put(0xFFFD);
      ++i;
      continue;
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      put(0xD800 + (code >> 10));
      put(0xDC00 + (code & 0x3FF));
    } else {
      put(code);
    }
    i += static_cast<std::size_t>(length);
  }
}

}  // namespace

std::string FileAssociation::EscapedProgramPath(const std::string& programFolder,
                                                const std::string& executableBaseName) {
  std::string escaped;
  for (char c : programFolder) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
  if (escaped.empty() || escaped.back() != '\\') escaped += "\\\\";
  return escaped + executableBaseName + ".exe";
}

std::string FileAssociation::ScriptText(const std::string& head, const std::string& middle,
                                        const std::string& escapedPath) {
  // The verb's command puts the program in quotes (\" inside the script's value): an
  // unquoted path with spaces would let the shell run C:\Program.exe if one were
  // planted there. The movie's path (%1) stays unquoted, as the command line the
  // program reads expects it.
  return head + escapedPath + middle + "\\\"" + escapedPath + "\\\" %1\"\r\n";
}

std::vector<std::uint8_t> FileAssociation::ScriptBytes(const std::string& text, CodePage& codePage) {
  std::string ansi;
  bool fits = false;
  try {
    fits = codePage.FromUtf8(text, ansi) && codePage.ToUtf8(ansi) == text;
  } catch (const std::exception&) {
  }
  if (fits) return {ansi.begin(), ansi.end()};

  // A path the ANSI code page cannot hold would name another program; the Unicode form
  // of the script keeps it exact.
  std::string unicodeText = text;
  const std::string header = association::kAnsiHeader;
  if (unicodeText.compare(0, header.size(), header) == 0) {
    unicodeText.replace(0, header.size(), association::kUnicodeHeader);
  }
  std::vector<std::uint8_t> bytes{0xFF, 0xFE};
  AppendUtf16(unicodeText, bytes);
  return bytes;
}

std::string FileAssociation::WriteScript(const std::vector<std::uint8_t>& bytes) {
  try {
    ports_.files.WriteFile(association::kScriptPath, bytes);
    return association::kScriptPath;
  } catch (const std::exception&) {
    // Creating files in the root of C: takes rights most users do not have.
    const std::string fallback = WithTrailingBackslash(ports_.desktop.TemporaryFolder()) + association::kScriptFileName;
    ports_.files.WriteFile(fallback, bytes);
    return fallback;
  }
}

void FileAssociation::RemoveScripts() {
  FileSystem& files = ports_.files;
  if (files.FileExists(association::kScriptPath)) files.DeleteFile(association::kScriptPath);
  std::string fallback;
  try {
    fallback = WithTrailingBackslash(ports_.desktop.TemporaryFolder()) + association::kScriptFileName;
  } catch (const std::exception&) {
    return;  // no temporary folder, so no script in it
  }
  if (files.FileExists(fallback)) files.DeleteFile(fallback);
}

void FileAssociation::ShowMessage(const std::string& text) {
  try {
    ports_.dialogs.Message(text, mb::kIconInformation, association::kCaption);
  } catch (const std::exception&) {
    // No box could be shown: the command ends as it would have anyway.
  }
}

void FileAssociation::mFL_RegPlayer() {
  try {
    const std::string head = ports_.desktop.LoadText(association::kScriptHeadText);
    const std::string middle = ports_.desktop.LoadText(association::kScriptMiddleText);
    const std::string folder = ports_.files.ProgramFolder();
    if (folder.empty()) return;
    // Floppy drives: the association would point at a disk that is usually not there.
    const char drive = static_cast<char>(LowerAscii(folder.front()));
    if (static_cast<unsigned char>(folder.front()) <= 'B' || drive == 'a' || drive == 'b') return;

    const std::string program = WithTrailingBackslash(folder) + ports_.files.ExecutableBaseName() + ".exe";
    if (TooLongForShell(program)) {
      // The shell would find no program at the path the association names, and Windows
      // would answer every double-clicked movie with an error of its own.
      ShowMessage(std::string(association::kProgramPathTooLong) + "\r" + program);
      return;
    }
    const std::string escaped = EscapedProgramPath(folder, ports_.files.ExecutableBaseName());
    const std::string script = WriteScript(ScriptBytes(ScriptText(head, middle, escaped), ports_.codePage));
    // Through the shell, so that Windows can ask for the rights the import needs; the
    // shell hears of the new association once the editor is done.
    const std::string argument = script.find(' ') == std::string::npos ? script : "\"" + script + "\"";
    ports_.desktop.ShellStart("regedit.exe", "/s " + argument, ShowState::kMinimizedWithFocus,
                              /*announceAssociations=*/true);
  } catch (const std::exception&) {
    // The command reports nothing.
  }
}

}  // namespace tavelin
