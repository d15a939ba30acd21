// A text field's editable state: text and HTML in and out, styles over ranges, editing.
#include "swf/player/text_field.h"

#include <gtest/gtest.h>

namespace tavelin::swf::player {
namespace {

TextFieldState HtmlField(bool multiline) {
  format::EditTextDefinition definition;
  definition.html = true;
  definition.multiline = multiline;
  definition.leading = 40;  // 2 pixels
  TextStyle style;
  style.face = "Arial";
  style.size = 240;
  StyledText empty;
  empty.styles.push_back(style);
  TextFieldState state = MakeFieldState(definition, empty, 8);
  state.newStyle = style;
  return state;
}

TEST(TextFieldState, HtmlTextRoundTripsParagraphsRunsAndEntities) {
  TextFieldState field = HtmlField(true);
  EXPECT_EQ(field.HtmlText(), "");  // nothing for an empty field
  field.SetHtmlText("<p>a &amp; <b>b</b></p><p><i>c</i>&lt;</p>");
  EXPECT_EQ(field.Text(), "a & b\rc<");
  const std::string paragraph = "<TEXTFORMAT LEADING=\"2\"><P ALIGN=\"LEFT\"><FONT FACE=\"Arial\" SIZE=\"12\" "
                                "COLOR=\"#000000\" LETTERSPACING=\"0\" KERNING=\"0\">";
  const std::string close = "</FONT></P></TEXTFORMAT>";
  EXPECT_EQ(field.HtmlText(), paragraph + "a &amp; <B>b</B>" + close + paragraph + "<I>c</I>&lt;" + close);
  // What it writes it reads back the same.
  const std::string written = field.HtmlText();
  field.SetHtmlText(written);
  EXPECT_EQ(field.HtmlText(), written);

  // A range given another face and size shows as a FONT of what differs.
  TextStyle other;
  other.face = "Box";
  other.size = 400;
  TextFieldState::StyleParts parts;
  parts.face = true;
  field.ApplyStyle(4, 5, other, parts);
  EXPECT_NE(field.HtmlText().find("a &amp; <FONT FACE=\"Box\"><B>b</B></FONT></FONT></P>"), std::string::npos);
  EXPECT_EQ(field.StyleAt(4).size, 240);  // only the parts named change
  EXPECT_TRUE(field.StyleAt(4).bold);

  // A field that is not HTML takes HTML as its text and gives its text back.
  TextFieldState plain = HtmlField(false);
  plain.definition.html = false;
  plain.SetHtmlText("<b>x</b>");
  EXPECT_EQ(plain.Text(), "<b>x</b>");
  EXPECT_EQ(plain.HtmlText(), "<b>x</b>");
}

TEST(TextFieldState, EditingKeepsLineBreaksLimitsAndStylesInStep) {
  TextFieldState field = HtmlField(false);
  field.SetText("ab\ncd");
  EXPECT_EQ(field.Text(), "ab\rcd");  // scripts read line breaks as "\r"
  field.caret = 2;
  EXPECT_FALSE(field.Insert(U"\r"));  // a single-line field takes no line break
  TextStyle bold;
  bold.bold = true;
  TextFieldState::StyleParts parts;
  parts.bold = true;
  field.ApplyStyle(1, 2, bold, parts);
  EXPECT_TRUE(field.Insert(U"XY"));  // typed text continues the style before the caret
  EXPECT_EQ(field.Text(), "abXY\rcd");
  EXPECT_TRUE(field.StyleAt(2).bold && field.StyleAt(3).bold);
  EXPECT_FALSE(field.StyleAt(0).bold);
  EXPECT_EQ(field.content.styleOf.size(), field.content.text.size());

  field.definition.maxLength = 8;
  EXPECT_TRUE(field.Insert(U"123"));  // cut to what fits
  EXPECT_EQ(field.Text(), "abXY1\rcd");
  EXPECT_FALSE(field.Insert(U"4"));
  field.caret = 0;
  EXPECT_FALSE(field.Backspace());
  EXPECT_TRUE(field.DeleteForward());
  field.caret = field.Length();
  EXPECT_FALSE(field.DeleteForward());
  EXPECT_TRUE(field.Backspace());
  EXPECT_EQ(field.Text(), "bXY1\rc");
  EXPECT_EQ(field.content.styleOf.size(), field.content.text.size());

  // Movies before version 6 keep their text as bytes.
  TextFieldState old = HtmlField(false);
  old.movieVersion = 5;
  old.SetText("caf\xE9");
  EXPECT_EQ(old.Length(), 4u);
  EXPECT_EQ(old.Text(), "caf\xE9");
}

}  // namespace
}  // namespace tavelin::swf::player
