#include "layout/band.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "layout/constants.hpp"
#include "layout/control.hpp"
#include "layout/markup.hpp"
#include "layout/metrics.hpp"
#include "layout/slider.hpp"

namespace tess::layout {
namespace {

using figure::Array;
using figure::Object;

Object dropdown(std::vector<std::string> labels, std::optional<std::string> caption = {},
                std::string_view align = "left") {
  Array buttons;
  for (auto& label : labels) buttons.emplace_back(Object{{"label", label}, {"method", "update"}});
  return control(Object{{"type", "dropdown"}, {"buttons", buttons}, {"active", 0}}, "dropdown", caption, align);
}

TEST(BandRowsTest, LeftAndRightShareARowOnlyWhenBothFitSameSideOrSlidersStartNewRows) {
  std::vector<Object> pair = {dropdown({"cell type"}, "Colour by"), dropdown({"linear", "log"}, {}, "right")};
  EXPECT_EQ(bandRows(pair, 600).size(), 1u);
  EXPECT_EQ(bandRows(pair, 150).size(), 2u);
  Object slider = control(Object{{"steps", Array{}}}, "slider");
  std::vector<Object> entries = {dropdown({"a"}), dropdown({"b"}), slider, dropdown({"c"}, {}, "right")};
  auto rows = bandRows(entries, 800);
  // A slider takes its whole row, so the right dropdown after it starts another.
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_TRUE(rows[0].contains("left") && !rows[0].contains("right"));
  EXPECT_EQ(entryKind(rows[2].at("left").asObject()), "slider");
  EXPECT_TRUE(rows[3].contains("right") && !rows[3].contains("left"));
}

TEST(BandRowsTest, AnEntryTooWideForTheFigureIsShortenedNotLeftToOverflow) {
  std::string longName(80, 'W');
  std::vector<Object> entries = {dropdown({longName}, "A very long caption for a dropdown")};
  auto rows = bandRows(entries, 200);
  const Object& placed = rows.at(0).at("left").asObject();
  EXPECT_LE(entryWidth(placed, 200, nullptr), 200.0);
  // The caller's entry is untouched.
  EXPECT_EQ(entries[0].at("menu").asObject().at("buttons").asArray()[0].asObject().at("label").asString(), longName);
}

TEST(BandRowsTest, NotesAreMeasuredByTheirAnnotationAndCheckedForIndex) {
  Array notes = {Object{{"text", "n = 12,345 cells"}}};
  Object note = control(Object{}, "note", {}, "right", 0);
  EXPECT_NEAR(entryWidth(note, 500, &notes), textWidth("n = 12,345 cells", 12), 1e-9);
  EXPECT_EQ(entryWidth(note, 500, nullptr), 0.0);  // annotations not known: nothing to measure
  Object missing = control(Object{}, "note", {}, "right", 3);
  EXPECT_THROW(bandRows(std::vector<Object>{missing}, 500, &notes), IndexError);
  Array none;
  EXPECT_THROW(bandRows(std::vector<Object>{note}, 500, &none), IndexError);
  EXPECT_THROW(bandRows(std::vector<Object>{Object{{"kind", "dropdown"}}}, 500), KeyError);
}

TEST(TitleHeightTest, NothingWithoutRowsOrLines) {
  EXPECT_EQ(bandHeight({}), 0.0);
  EXPECT_EQ(titleHeight("", ""), 0.0);
  EXPECT_GT(titleHeight("T", "n"), titleHeight("T", ""));
  EXPECT_GT(titleHeight("T", ""), titleHeight("", "n"));
}

TEST(SliderTest, LengthKeepsLabelsApartWithinTheRoom) {
  std::vector<std::string> labels = {"0.5", "1", "1.5", "2", "3", "4", "6", "8", "12", "16"};
  auto [len, font] = sliderLength(labels, 12, 500, 1000);
  EXPECT_EQ(font, 12);
  double rail = len * 500 - 2 * SLIDER_INSET;
  EXPECT_GE(rail / 9, (textWidth("12", 12) + textWidth("16", 12)) / 2);
  auto [tight, small] = sliderLength(labels, 12, 500, 100);
  EXPECT_LE(tight * 500, 100.0 + 1e-9);
  EXPECT_LT(small, 12);
  EXPECT_GE(small, MIN_SLIDER_FONT);
  // An unbounded font would shrink a pixel at a time forever.
  EXPECT_THROW(sliderLength(labels, 1e300, 500, 100), ValueError);
}

TEST(SliderTest, LadderReachesHalfAPixelAndHoldsTheSize) {
  for (double size : {0.5, 1.0, 3.0, 5.5, 6.0, 40.0}) {
    auto [ladder, active] = sizeLadder(size);
    EXPECT_EQ(ladder.front(), 0.5) << size;
    EXPECT_EQ(ladder.at(active), size);
    EXPECT_TRUE(std::is_sorted(ladder.begin(), ladder.end()));
    EXPECT_GE(ladder.back(), size);
  }
  EXPECT_THROW(sizeLadder(std::nan("")), ValueError);
}

TEST(PlainTextTest, DropsTagsAndDecodesWhatPlotlyDecodes) {
  EXPECT_EQ(plainText("<b>A</b> &amp; B&lt;b&gt;%&#37;<br>&#x3b3;"), "A & B<b>%% \xCE\xB3");
  EXPECT_EQ(plainText("&quot;&AMP;&#xZZ; a < b"), "&quot;&AMP;&#xZZ; a < b");  // not decoded, not a tag
}

}  // namespace
}  // namespace tess::layout
