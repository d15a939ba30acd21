#include "playback/toolbar_model.h"

namespace tavelin {

ToolbarModel::ToolbarModel() {
  using S = ButtonStyle;
  buttons_ = {{
      {S::kDropDown, 1, "播放 [Enter]"},
      {S::kPlain, 2, "停止 [Space]"},
      {S::kDropDown, 3, "快退 [Ctrl+PgUp]"},
      {S::kPlain, 4, "快进 [Ctrl+PgDn]"},
      {S::kSeparator, 0, ""},
      {S::kPlain, 5, "前一段 [Ctrl+←]"},
      {S::kPlain, 6, "后一段 [Ctrl+→]"},
      {S::kCheck, 7, "置于顶层"},
      {S::kSeparator, 0, ""},
      {S::kCheck, 8, "关闭快捷键"},
      {S::kDropDown, 9, "查找文件"},
      {S::kSeparator, 0, ""},
      {S::kPlain, 10, "新建类别"},
      {S::kPlain, 11, "清除类别内容"},
      {S::kPlain, 12, "帮助 [F1]"},
  }};
}

const std::vector<std::string>& ToolbarModel::PlayMenuItems() {
  static const std::vector<std::string> items{"网络...", "播放 exe 文件...", "分解 exe 文件..."};
  return items;
}

}  // namespace tavelin
