#include <locale.h>
#include <string.h>

#include "platform/text.h"
#include "support/collation.h"

namespace tavelin::testing {

int CollateAsSimplifiedChinese(const std::string& a, const std::string& b) {
  static const locale_t chinese = newlocale(LC_COLLATE_MASK, "zh_CN.UTF-8", static_cast<locale_t>(nullptr));
  const std::string left = FoldCase(a), right = FoldCase(b);
  if (!chinese) return left.compare(right);
  return strcoll_l(left.c_str(), right.c_str(), chinese);
}

}  // namespace tavelin::testing
