#pragma once
// The sort order of the Simplified Chinese locale for native tests: Chinese in pinyin
// order, letter case ignored, through the C library's zh_CN.UTF-8 collation.

#include <string>

namespace tavelin::testing {

// Negative, zero or positive. Without the locale installed, code point order.
int CollateAsSimplifiedChinese(const std::string& a, const std::string& b);

}  // namespace tavelin::testing
