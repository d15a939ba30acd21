#pragma once
// The system's ANSI code page through WideCharToMultiByte(CP_ACP).

#include "platform/code_page.h"

namespace tavelin::win32 {

class AnsiCodePage : public CodePage {
 public:
  bool FromUtf8(const std::string& utf8, std::string& out) override;
  std::string ToUtf8(const std::string& ansi) override;
};

}  // namespace tavelin::win32
