#pragma once
// The ANSI code page of Simplified Chinese Windows (936), converted with iconv.

#include "platform/code_page.h"

namespace tavelin::testing {

class IconvCodePage : public CodePage {
 public:
  bool FromUtf8(const std::string& utf8, std::string& out) override;
  std::string ToUtf8(const std::string& ansi) override;
};

}  // namespace tavelin::testing
