#pragma once
// "关联 swf 文件到 Tavelin": makes the program the one that opens .swf files from the
// shell, by writing a registry script and importing it with the registry editor.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace tavelin {

namespace association {
// The script's two fixed texts are strings of the program's string table.
inline constexpr int kScriptHeadText = 1;    // up to the icon's path
inline constexpr int kScriptMiddleText = 2;  // from the icon's index to the command's path
inline constexpr const char* kScriptPath = "c:\\flash.reg";
inline constexpr const char* kScriptFileName = "flash.reg";
inline constexpr const char* kAnsiHeader = "REGEDIT4";
inline constexpr const char* kUnicodeHeader = "Windows Registry Editor Version 5.00";
inline constexpr const char* kCaption = "文件关联";
inline constexpr const char* kProgramPathTooLong =
    "Tavelin 所在文件夹的路径太长(超过 259 个字符)，Windows 无法从这里启动程序，swf 文件没有关联。\r"
    "请把 Tavelin 放到路径较短的文件夹中，再关联一次。";
}  // namespace association

class FileAssociation {
 public:
  explicit FileAssociation(Ports ports) : ports_(ports) {}

  // Writes the script for the running program and starts the registry editor on it
  // without waiting. Reports nothing: a script that cannot be written or an editor that
  // cannot start end the command silently. A program on A: or B: does nothing. A
  // program whose path is too long for the shell to start it is told so, and nothing
  // is written.
  void mFL_RegPlayer();
  // Deletes the scripts an earlier association left (at c:\ and in the temporary
  // folder), hidden and read-only ones included.
  void RemoveScripts();

  // The program's path as a registry script writes it: every backslash doubled.
  static std::string EscapedProgramPath(const std::string& programFolder, const std::string& executableBaseName);
  // The script's text (UTF-8) from the two string-table texts and the escaped path.
  static std::string ScriptText(const std::string& head, const std::string& middle, const std::string& escapedPath);
  // The bytes of the script file: the text in the ANSI code page when it survives the
  // round trip there, otherwise as a Unicode script (UTF-16LE with its byte-order mark).
  static std::vector<std::uint8_t> ScriptBytes(const std::string& text, CodePage& codePage);

 private:
  void ShowMessage(const std::string& text);
  // Writes the script, at c:\ or, where that cannot be created, in the temporary
  // folder; returns where it went.
  std::string WriteScript(const std::vector<std::uint8_t>& bytes);

  Ports ports_;
};

}  // namespace tavelin
