#include "win32/ports/dialogs.h"

#include <colordlg.h>
#include <commdlg.h>
#include <gtest/gtest.h>

#include "platform/failure.h"
#include "win32/ports/input_box.h"
#include "win32/text.h"
#include "auto_answer.h"

namespace tavelin::win32 {
namespace {

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

void Click(HWND box, int id) { PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// A top-level window for the boxes to belong to.
class DialogsPort : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 100, 100, 400, 300, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner_, nullptr);
    ShowWindow(owner_, SW_SHOWNOACTIVATE);
    dialogs_.SetOwner(owner_);
  }
  void TearDown() override { DestroyWindow(owner_); }

  HWND owner_ = nullptr;
  Win32Dialogs dialogs_;
};

TEST(DialogsPortFilter, PipeSeparatedPairsBecomeTheDoubleNulList) {
  using namespace std::string_literals;
  EXPECT_EQ(CommonDialogFilter("Flash 影片|*.swf|放映文件|*.exe"), L"Flash 影片\0*.swf\0放映文件\0*.exe\0\0"s);
  EXPECT_EQ(CommonDialogFilter("所有文件|*.*"), L"所有文件\0*.*\0\0"s);
  EXPECT_EQ(CommonDialogFilter("影片|*.swf;*.spl|没有样式"), L"影片\0*.swf;*.spl\0\0"s);
  EXPECT_EQ(CommonDialogFilter(""), L"");
  EXPECT_EQ(CommonDialogFilter("孤单"), L"");
}

TEST(DialogsPortColor, ColorRefKeepsRedInTheLowByte) {
  EXPECT_EQ(ColorRefFromRgb(0x123456), static_cast<COLORREF>(0x00563412));
  EXPECT_EQ(ColorRefFromRgb(0xFF000000 | 0xFF0000), static_cast<COLORREF>(0x000000FF));
  EXPECT_EQ(RgbFromColorRef(RGB(0x12, 0x34, 0x56)), 0x123456u);
  EXPECT_EQ(RgbFromColorRef(RGB(0, 0, 0xFF)), 0x0000FFu);
}

TEST_F(DialogsPort, MessageBoxShowsTextAndCaptionAndReturnsTheButtonPressed) {
  std::wstring seenCaption, seenText;
  AutoAnswer answer(owner_, [&](HWND box) {
    seenCaption = TextOf(box);
    seenText = TextOf(GetDlgItem(box, 0xFFFF));  // the message text's control
    Click(box, IDNO);
    return true;
  });
  const int pressed = dialogs_.Message("要删除这部影片吗？", mb::kYesNo | mb::kIconWarning, "删除影片");
  ASSERT_TRUE(answer.Answered());
  EXPECT_EQ(pressed, mb::kAnswerNo);
  EXPECT_EQ(seenCaption, L"删除影片");
  EXPECT_EQ(seenText, L"要删除这部影片吗？");
}

TEST_F(DialogsPort, MessageBoxWithoutCaptionShowsTheSystemsCaption) {
  std::wstring seenCaption = L"(not seen)";
  AutoAnswer answer(owner_, [&](HWND box) {
    seenCaption = TextOf(box);
    Click(box, IDCANCEL);
    return true;
  });
  const int pressed = dialogs_.Message("继续吗？", mb::kOkCancel, "");
  ASSERT_TRUE(answer.Answered());
  EXPECT_EQ(pressed, mb::kAnswerCancel);
  EXPECT_FALSE(seenCaption.empty());
  EXPECT_NE(seenCaption, L"(not seen)");
}

TEST_F(DialogsPort, InputBoxOffersTheInitialTextSelectedAndEnterAnswersWithTheTypedText) {
  std::wstring seenTitle, seenPrompt, seenOk, seenCancel;
  DWORD selectionStart = 99, selectionEnd = 0;
  RECT promptRect{}, editRect{};
  AutoAnswer answer(owner_, [&](HWND box) {
    const HWND edit = GetDlgItem(box, kInputBoxEditId);
    const HWND prompt = GetDlgItem(box, kInputBoxPromptId);
    if (edit == nullptr || GetFocus() != edit) return false;
    seenTitle = TextOf(box);
    seenPrompt = TextOf(prompt);
    seenOk = TextOf(GetDlgItem(box, IDOK));
    seenCancel = TextOf(GetDlgItem(box, IDCANCEL));
    GetWindowRect(prompt, &promptRect);
    GetWindowRect(edit, &editRect);
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&selectionStart), reinterpret_cast<LPARAM>(&selectionEnd));
    // Typing replaces the selection; then Enter, through the box's own keyboard handling.
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"新的名字 한글"));
    PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    return true;
  });
  const std::optional<std::string> typed =
      dialogs_.InputText("请输入新的类别名称：\n第二行说明\n第三行", "新建类别", "旧名字");
  ASSERT_TRUE(answer.Answered());
  ASSERT_TRUE(typed.has_value());
  EXPECT_EQ(*typed, "新的名字 한글");
  EXPECT_EQ(seenTitle, L"新建类别");
  EXPECT_EQ(seenPrompt, L"请输入新的类别名称：\n第二行说明\n第三行");
  EXPECT_EQ(seenOk, L"确定");
  EXPECT_EQ(seenCancel, L"取消");
  EXPECT_EQ(selectionStart, 0u);
  EXPECT_EQ(selectionEnd, 3u);
  // All three prompt lines fit above the edit: one line alone is shorter than the edit.
  EXPECT_GT(promptRect.bottom - promptRect.top, editRect.bottom - editRect.top);
  EXPECT_LE(promptRect.bottom, editRect.top);
}

TEST_F(DialogsPort, InputBoxEscapeCancels) {
  AutoAnswer answer(owner_, [&](HWND box) {
    const HWND edit = GetDlgItem(box, kInputBoxEditId);
    if (edit == nullptr || GetFocus() != edit) return false;
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"不要"));
    PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    return true;
  });
  EXPECT_EQ(dialogs_.InputText("名称：", "标题", "原来"), std::nullopt);
  EXPECT_TRUE(answer.Answered());
}

TEST_F(DialogsPort, InputBoxOkButtonAnswersWithAnEmptyText) {
  AutoAnswer answer(owner_, [&](HWND box) {
    const HWND edit = GetDlgItem(box, kInputBoxEditId);
    if (edit == nullptr) return false;
    SetWindowTextW(edit, L"");
    Click(box, IDOK);
    return true;
  });
  const std::optional<std::string> typed = dialogs_.InputText("名称：", "", "原来");
  ASSERT_TRUE(answer.Answered());
  ASSERT_TRUE(typed.has_value());
  EXPECT_EQ(*typed, "");
}

TEST_F(DialogsPort, ColorDialogStartsAtTheInitialColourAndReturnsItAsRgb) {
  std::wstring red, green, blue;
  AutoAnswer answer(owner_, [&](HWND box) {
    if (GetDlgItem(box, COLOR_RED) == nullptr) return false;
    red = TextOf(GetDlgItem(box, COLOR_RED));
    green = TextOf(GetDlgItem(box, COLOR_GREEN));
    blue = TextOf(GetDlgItem(box, COLOR_BLUE));
    Click(box, IDOK);
    return true;
  });
  EXPECT_EQ(dialogs_.PickColor(0x12345A), 0x12345Au);
  ASSERT_TRUE(answer.Answered());
  EXPECT_EQ(red, L"18");
  EXPECT_EQ(green, L"52");
  EXPECT_EQ(blue, L"90");
}

TEST_F(DialogsPort, ColorDialogCancelGivesNothing) {
  AutoAnswer answer(owner_, [&](HWND box) {
    Click(box, IDCANCEL);
    return true;
  });
  EXPECT_EQ(dialogs_.PickColor(0xFF0000), std::nullopt);
  EXPECT_TRUE(answer.Answered());
}

// A fresh folder under the temporary folder for the file dialogs to look in.
std::wstring MakeTempFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  wchar_t folder[MAX_PATH + 64];
  swprintf(folder, MAX_PATH + 64, L"%lstavelin-dlg-%lu-%lu", temp, GetCurrentProcessId(), GetTickCount());
  CreateDirectoryW(folder, nullptr);
  return folder;
}

TEST_F(DialogsPort, SaveDialogStartsWithTheInitialNameAndAddsTheDefaultExtension) {
  const std::wstring folder = MakeTempFolder();
  const std::wstring initial = folder + L"\\猫和老鼠";
  std::wstring title;
  AutoAnswer answer(owner_, [&](HWND box) {
    title = TextOf(box);
    Click(box, IDOK);
    return true;
  });
  FilePickRequest request;
  request.title = "保存影片";
  request.filter = "Flash 影片|*.swf|所有文件|*.*";
  request.save = true;
  request.initialName = Narrow(initial);
  request.defaultExtension = "swf";
  request.flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
  const std::optional<std::string> chosen = dialogs_.PickFile(request);
  RemoveDirectoryW(folder.c_str());
  ASSERT_TRUE(answer.Answered());
  EXPECT_EQ(title, L"保存影片");
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, Narrow(initial) + ".swf");
}

TEST_F(DialogsPort, OpenDialogCancelGivesNothing) {
  AutoAnswer answer(owner_, [&](HWND box) {
    Click(box, IDCANCEL);
    return true;
  });
  FilePickRequest request;
  request.title = "打开影片";
  request.filter = "Flash 影片|*.swf";
  request.flags = OFN_FILEMUSTEXIST;
  EXPECT_EQ(dialogs_.PickFile(request), std::nullopt);
  EXPECT_TRUE(answer.Answered());
}

}  // namespace
}  // namespace tavelin::win32
