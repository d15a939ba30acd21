#include "swf/player/player.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/swf_writer.h"
#include "swf/player/html_text.h"

namespace tavelin::swf::player {
namespace {

using testing::Affine;
using testing::BoxGlyph;
using testing::Move;
using testing::Placement;
using testing::Put;
using testing::SwfWriter;

std::shared_ptr<const Movie> Load(const SwfWriter& writer) { return std::make_shared<const Movie>(LoadMovie(writer.Bytes())); }

const DisplayObject& At(const DisplayList& list, std::uint16_t depth) {
  const auto it = list.find(depth);
  if (it == list.end()) throw std::runtime_error("nothing at depth " + std::to_string(depth));
  return it->second;
}

// A sprite (id 10) of three frames whose square (id 1) steps right by 100 twips a
// frame, inside a main timeline of four frames that moves the sprite right by 1000.
SwfWriter MovingSpriteMovie() {
  SwfWriter inner;
  inner.Place(Put(1, 1, 0)).ShowFrame().Place(Move(1, 100)).ShowFrame().Place(Move(1, 200)).ShowFrame();
  SwfWriter movie;
  movie.StagePixels(100, 100)
      .DefineRectangle(1, 200, 200, {255, 0, 0})
      .DefineSprite(10, inner)
      .Place(Put(1, 10, 0))
      .ShowFrame()
      .Place(Move(1, 1000))
      .ShowFrame()
      .Place(Move(1, 2000))
      .ShowFrame()
      .ShowFrame();
  return movie;
}

TEST(SwfPlayer, SpritesPlayTheirOwnFramesInsideAMovingParent) {
  Player player(Load(MovingSpriteMovie()));
  const auto state = [&] {
    const DisplayObject& sprite = At(player.Objects(), 1);
    return std::tuple{player.CurrentFrame(), sprite.matrix.tx, sprite.timeline->frame, At(sprite.timeline->list, 1).matrix.tx};
  };
  EXPECT_EQ(state(), std::tuple(0, 0.0, 0, 0.0));
  player.NextFrame();
  EXPECT_EQ(state(), std::tuple(1, 1000.0, 1, 100.0));
  player.NextFrame();
  EXPECT_EQ(state(), std::tuple(2, 2000.0, 2, 200.0));
  player.NextFrame();  // the sprite loops to its first frame; the parent stays where it was
  EXPECT_EQ(state(), std::tuple(3, 2000.0, 0, 0.0));
  player.NextFrame();  // the movie loops: its first frame puts the sprite back, same instance
  EXPECT_EQ(state(), std::tuple(0, 0.0, 1, 100.0));
}

TEST(SwfPlayer, ASpritePlacedLaterStartsOnItsFirstFrame) {
  SwfWriter inner;
  inner.ShowFrame().ShowFrame().ShowFrame();
  SwfWriter movie;
  movie.DefineSprite(10, inner).ShowFrame().Place(Put(1, 10)).ShowFrame().ShowFrame();
  Player player(Load(movie));
  EXPECT_TRUE(player.Objects().empty());
  player.NextFrame();
  EXPECT_EQ(At(player.Objects(), 1).timeline->frame, 0);
  player.NextFrame();
  EXPECT_EQ(At(player.Objects(), 1).timeline->frame, 1);
}

TEST(SwfPlayer, GoingBackRebuildsTheFrameKeepingObjectsThatStayed) {
  // Frame 1: square A at depth 1, sprite S at depth 2. Frame 2: A removed, square B at
  // depth 3. Frame 3: S moved; B replaced by a square of another character.
  SwfWriter inner;
  inner.ShowFrame().ShowFrame().ShowFrame().ShowFrame();
  Placement replace = Move(3, 0);
  replace.characterId = 4;
  SwfWriter movie;
  movie.DefineRectangle(1, 100, 100, {255, 0, 0})
      .DefineRectangle(2, 100, 100, {0, 255, 0})
      .DefineRectangle(4, 100, 100, {0, 0, 255})
      .DefineSprite(10, inner)
      .Place(Put(1, 1))
      .Place(Put(2, 10, 50))
      .ShowFrame()
      .RemoveObject(1)
      .Place(Put(3, 2))
      .ShowFrame()
      .Place(Move(2, 500))
      .Place(replace)
      .ShowFrame();
  Player player(Load(movie));
  player.NextFrame();
  player.NextFrame();
  ASSERT_EQ(player.CurrentFrame(), 2);
  EXPECT_EQ(At(player.Objects(), 3).characterId, 4);
  EXPECT_EQ(At(player.Objects(), 2).timeline->frame, 2);
  const TimelineState* spriteTimeline = At(player.Objects(), 2).timeline.get();

  player.GotoFrame(1);
  EXPECT_EQ(player.Objects().count(1), 0u);
  EXPECT_EQ(At(player.Objects(), 3).characterId, 2);  // the character it had there
  EXPECT_EQ(At(player.Objects(), 2).matrix.tx, 50.0);
  EXPECT_EQ(At(player.Objects(), 2).timeline.get(), spriteTimeline);  // the same instance
  EXPECT_EQ(At(player.Objects(), 2).timeline->frame, 2);              // a goto does not play sprites

  player.GotoFrame(0);
  EXPECT_EQ(At(player.Objects(), 1).characterId, 1);
  EXPECT_EQ(player.Objects().count(3), 0u);
  EXPECT_EQ(At(player.Objects(), 2).timeline.get(), spriteTimeline);

  player.GotoFrame(2);  // forward again runs the frames in between
  EXPECT_EQ(player.Objects().count(1), 0u);
  EXPECT_EQ(At(player.Objects(), 3).characterId, 4);
  EXPECT_EQ(At(player.Objects(), 2).matrix.tx, 500.0);
  player.GotoFrame(99);  // clamped to the last frame
  EXPECT_EQ(player.CurrentFrame(), 2);
}

TEST(SwfPlayer, FramesAreFoundByTheirLabels) {
  const auto label = [](const std::string& text) {
    std::vector<std::uint8_t> body(text.begin(), text.end());
    body.push_back(0);
    return body;
  };
  SwfWriter movie;
  movie.ShowFrame().RawTag(tag_code::kFrameLabel, label("Intro")).ShowFrame().RawTag(tag_code::kFrameLabel, label("end")).ShowFrame();
  Player player(Load(movie));
  EXPECT_EQ(player.FrameOfLabel("intro"), 1);
  EXPECT_EQ(player.FrameOfLabel("END"), 2);
  EXPECT_EQ(player.FrameOfLabel("middle"), -1);
}

TEST(SwfPlayer, ADamagedDefinitionDropsOnlyThatCharacter) {
  SwfWriter probe;
  probe.DefineRectangle(2, 300, 300, {0, 0, 255});
  const auto file = probe.Bytes();
  // The tag's body, cut short: the shape records end mid-way.
  std::vector<std::uint8_t> body;
  const Movie parsed = LoadMovie(file);
  const auto whole = parsed.TagBody(parsed.FrameTags(0)[0]);
  body.assign(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() - 4));

  SwfWriter movie;
  movie.DefineRectangle(1, 100, 100, {255, 0, 0})
      .RawTag(2, body)
      .DefineRectangle(3, 100, 100, {0, 255, 0})
      .Place(Put(1, 1))
      .Place(Put(2, 2))
      .Place(Put(3, 3))
      .ShowFrame();
  Player player(Load(movie));
  EXPECT_NE(player.Characters().FindAs<Shape>(1), nullptr);
  EXPECT_EQ(player.Characters().FindAs<Shape>(2), nullptr);
  EXPECT_NE(player.Characters().FindAs<Shape>(3), nullptr);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(At(player.Objects(), 2).character));
  EXPECT_TRUE(std::holds_alternative<std::shared_ptr<const Shape>>(At(player.Objects(), 3).character));
}

TEST(SwfPlayer, ASpriteThatContainsItselfStopsAtTheNestingLimit) {
  SwfWriter inner;
  inner.Place(Put(1, 10)).Place(Put(2, 10)).ShowFrame().ShowFrame();
  SwfWriter movie;
  movie.DefineSprite(10, inner).Place(Put(1, 10)).ShowFrame();
  Player player(Load(movie));
  for (int i = 0; i < 3; ++i) player.NextFrame();  // bounded work, no crash
  SUCCEED();
}

TEST(SwfPlayer, MorphShapesBlendAtThePlacedRatio) {
  Placement half = Put(1, 5);
  half.ratio = 32768;
  SwfWriter movie;
  movie.DefineMorphRectangles(5, {0, 0, 200, 200}, {255, 0, 0, 255}, {200, 400, 600, 800}, {0, 0, 255, 55})
      .Place(half)
      .ShowFrame();
  Player player(Load(movie));
  const DisplayObject& morph = At(player.Objects(), 1);
  ASSERT_NE(morph.morphed, nullptr);
  const StyleGroup& group = morph.morphed->groups.at(0);
  const Rgba colour = group.fills.at(0).color;  // halfway from opaque red to faint blue
  EXPECT_NEAR(colour.r, 127.5, 1);
  EXPECT_EQ(colour.g, 0);
  EXPECT_NEAR(colour.b, 127.5, 1);
  EXPECT_NEAR(colour.a, 155, 1);
  const ShapePath& path = group.paths.at(0);
  EXPECT_EQ(path.start, (Point{100, 200}));
  ASSERT_EQ(path.segments.size(), 4u);
  EXPECT_EQ(path.segments[0].to, (Point{400, 200}));
  EXPECT_EQ(path.segments[1].to, (Point{400, 500}));
  EXPECT_EQ(morph.morphed->bounds, (Rect{100, 400, 200, 500}));
}

TEST(SwfPlayer, TextGlyphsSitAtTheirAdvancesScaledToTheTextHeight) {
  for (int fontVersion : {2, 3}) {
    SCOPED_TRACE(fontVersion);
    SwfWriter movie;
    movie.DefineBoxFont(7, {BoxGlyph{'A', 512, 512, 600}, BoxGlyph{'B', 256, 1024, 300}}, fontVersion)
        .DefineText(8, 7, 400, {0, 128, 0, 255}, {100, 1000}, {{0, 240}, {1, 120}, {0, 240}})
        .Place(Put(1, 8))
        .ShowFrame();
    Player player(Load(movie));
    const auto text = player.Characters().FindAs<TextCharacter>(8);
    ASSERT_NE(text, nullptr);
    ASSERT_EQ(text->glyphs.size(), 3u);
    const double scale = 400.0 / 1024.0;  // either font's units per em
    const double xs[] = {100, 340, 460};
    for (int i = 0; i < 3; ++i) {
      EXPECT_DOUBLE_EQ(text->glyphs[i].matrix.tx, xs[i]);
      EXPECT_DOUBLE_EQ(text->glyphs[i].matrix.ty, 1000);
      EXPECT_NEAR(text->glyphs[i].matrix.a * (fontVersion == 3 ? 20 : 1), scale, 1e-12);
    }
    EXPECT_FLOAT_EQ(text->glyphs[0].tint.mulG, 128 / 255.0f);
    EXPECT_FLOAT_EQ(text->glyphs[0].tint.mulR, 0);
    EXPECT_EQ(text->glyphs[1].glyph, player.Characters().FindAs<Font>(7)->glyphs[1]);
  }
}

TEST(SwfPlayer, TextFieldsLayOutTheirInitialTextWithTheEmbeddedFont) {
  SwfWriter movie;
  movie.Version(8)
      .DefineBoxFont(7, {BoxGlyph{'A', 512, 512, 600}, BoxGlyph{' ', 0, 0, 300}, BoxGlyph{'B', 512, 512, 1024}})
      .DefineEditText(9, {200, 400, 4200, 2400}, 7, 512, {0, 0, 0, 255}, "AB A\nB")
      .Place(Put(1, 9))
      .ShowFrame();
  Player player(Load(movie));
  const auto field = player.Characters().FindAs<TextCharacter>(9);
  ASSERT_NE(field, nullptr);
  ASSERT_EQ(field->glyphs.size(), 5u);  // spaces are glyphs too
  const double scale = 512.0 / 1024.0;
  const double firstBaseline = 400 + 40 + 800 * scale;
  const double lineHeight = (800 + 224) * scale;
  EXPECT_DOUBLE_EQ(field->glyphs[0].matrix.tx, 240);
  EXPECT_DOUBLE_EQ(field->glyphs[0].matrix.ty, firstBaseline);
  EXPECT_DOUBLE_EQ(field->glyphs[1].matrix.tx, 240 + 600 * scale);
  EXPECT_DOUBLE_EQ(field->glyphs[3].matrix.tx, 240 + (600 + 1024 + 300) * scale);
  EXPECT_DOUBLE_EQ(field->glyphs[4].matrix.tx, 240);
  EXPECT_DOUBLE_EQ(field->glyphs[4].matrix.ty, firstBaseline + lineHeight);
}

TEST(SwfPlayer, HtmlTextBecomesStyledRuns) {
  TextStyle base;
  base.face = "Box";
  base.color = {0, 0, 0, 255};
  const StyledText text = ParseHtmlText(
      "<p align=\"left\"><font size=\"12\">a &amp; <b>b</b></font></p><p><font face='Other' color=\"#FF8000\">c<br>d</font><i>\xC3\xA9</i></p>", base, 8);
  EXPECT_EQ(text.text, U"a & b\nc\nd\u00E9");
  ASSERT_EQ(text.styleOf.size(), text.text.size());
  const auto style = [&](std::size_t i) { return text.styles[text.styleOf[i]]; };
  EXPECT_DOUBLE_EQ(style(0).size, 240);
  EXPECT_FALSE(style(0).bold);
  EXPECT_TRUE(style(4).bold);
  EXPECT_EQ(style(6).face, "Other");
  EXPECT_EQ(style(6).color, (Rgba{255, 128, 0, 255}));
  EXPECT_EQ(style(8).face, "Other");
  EXPECT_TRUE(style(9).italic);
  EXPECT_EQ(style(9).face, "Box");
  EXPECT_EQ(ParseHtmlText("<unknown>x</unknown>", base, 8).text, U"x");
}

}  // namespace
}  // namespace tavelin::swf::player
