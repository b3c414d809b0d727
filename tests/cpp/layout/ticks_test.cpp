// Tick-label policy: the ladder on known cases, Chromium's drawn boxes, a geometric sweep, axis categories.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "layout/constants.hpp"
#include "layout/metrics.hpp"
#include "layout/ticks.hpp"

namespace tess::layout {
namespace {

using figure::Array;
using figure::Object;
using figure::Value;

const std::string ellipsis = "\xE2\x80\xA6";

// ---- an independent model of the drawn tick labels ----
// A text box at plotly's anchor, as tall as ascent and descent (whole pixels in Chromium or not),
// widened by Chromium's 1 px end snap and 1/64 px unit, rotated half a font size above the baseline.
// Coordinates: `along` the axis from its start, `across` away from the plot edge.

struct Point {
  double along, across;
};
using Quad = std::array<Point, 4>;

constexpr double ascentEm = 1854.0 / 2048, descentEm = 434.0 / 2048;  // Liberation Sans hhea
constexpr double unitPx = 1.0 / 64, snapPx = 1.0 + unitPx;

double drawn(double em, double font) { return std::max(std::round(em * font), em * font); }

Quad xBox(double width, double font, double angle, double tick) {
  bool vertical = angle == -90.0;
  double x = tick + (vertical ? -0.175 * font : 0.0);
  double y = 1.0 + 4.0 + 0.2 * font + (vertical ? 0.7 : 1.0) * font;  // line, tick, standoff, baseline
  double left = angle == 0.0 ? x - width / 2 : x - width, right = angle == 0.0 ? x + width / 2 : x;
  left -= snapPx, right += snapPx;
  double top = y - drawn(ascentEm, font) - unitPx, bottom = y + drawn(descentEm, font) + unitPx;
  double r = angle * std::numbers::pi / 180, c = std::cos(r), s = std::sin(r);
  Quad q = {{{left, top}, {right, top}, {right, bottom}, {left, bottom}}};
  for (Point& p : q) p = {x + (p.along - x) * c - (p.across - y + font / 2) * s,
                          y - font / 2 + (p.along - x) * s + (p.across - y + font / 2) * c};
  return q;
}

Quad yBox(double width, double font, double tick) {
  double end = 1.0 + 4.0 + 0.2 * font - snapPx, start = 1.0 + 4.0 + 0.2 * font + width + snapPx;
  double baseline = tick - 0.35 * font;  // along runs upwards, the baseline sits below the tick
  double low = baseline - drawn(descentEm, font) - unitPx, high = baseline + drawn(ascentEm, font) + unitPx;
  return {{{low, end}, {high, end}, {high, start}, {low, start}}};
}

// Distance between two boxes turned by the same angle, 0 when they meet: upright in their own frame.
double distance(const Quad& a, const Quad& b, double angle) {
  double r = angle * std::numbers::pi / 180, c = std::cos(r), s = std::sin(r), gap[2];
  for (int k = 0; k < 2; ++k) {
    auto on = [&](Point p) { return k == 0 ? p.along * c + p.across * s : p.across * c - p.along * s; };
    auto [alo, ahi] = std::minmax({on(a[0]), on(a[1]), on(a[2]), on(a[3])});
    auto [blo, bhi] = std::minmax({on(b[0]), on(b[1]), on(b[2]), on(b[3])});
    gap[k] = std::max({0.0, blo - ahi, alo - bhi});
  }
  return std::hypot(gap[0], gap[1]);
}

struct Drawn {
  std::vector<Quad> boxes;
  double depth = 0.0, before = 0.0, after = 0.0;  // reach away from the plot, beyond the axis start and end
  double closest = std::numeric_limits<double>::infinity();  // least distance between two boxes
};

// What the shown labels (every step-th text) draw over the span.
Drawn draw(const std::vector<std::string>& texts, double span, double font, double angle, std::int64_t step,
           char axis) {
  Drawn d;
  double spacing = span / static_cast<double>(texts.size());
  for (std::size_t i = 0; i < texts.size(); i += static_cast<std::size_t>(step)) {
    double tick = (static_cast<double>(i) + 0.5) * spacing, width = textWidth(texts[i], font);
    d.boxes.push_back(axis == 'x' ? xBox(width, font, angle, tick) : yBox(width, font, tick));
  }
  for (const Quad& q : d.boxes)
    for (Point p : q) {
      d.depth = std::max(d.depth, p.across);
      d.before = std::max(d.before, -p.along);
      d.after = std::max(d.after, p.along - span);
    }
  // Every pair whose extents along the axis come within the gap, found by a sweep.
  std::vector<std::array<double, 3>> spans;  // lo, hi, index
  for (std::size_t i = 0; i < d.boxes.size(); ++i) {
    double lo = d.boxes[i][0].along, hi = lo;
    for (Point p : d.boxes[i]) lo = std::min(lo, p.along), hi = std::max(hi, p.along);
    spans.push_back({lo, hi, static_cast<double>(i)});
  }
  std::sort(spans.begin(), spans.end());
  for (std::size_t i = 0; i < spans.size(); ++i)
    for (std::size_t j = i + 1; j < spans.size() && spans[j][0] < spans[i][1] + TICK_LABEL_GAP; ++j)
      d.closest = std::min(d.closest, distance(d.boxes[static_cast<std::size_t>(spans[i][2])],
                                               d.boxes[static_cast<std::size_t>(spans[j][2])], angle));
  return d;
}

// A rung fits when its shown labels keep the gap and, with all shown, plotly would not thin them.
bool fits(const std::vector<std::string>& texts, double span, double font, double angle, std::int64_t step,
          char axis) {
  double spacing = span / static_cast<double>(texts.size());
  if (step == 1 && texts.size() > 1 && spacing < std::round(1.2 * font)) return false;
  return draw(texts, span, font, angle, step, axis).closest >= TICK_LABEL_GAP - 1e-9;
}

// ---- known cases: the sweep below holds every rung against the drawn boxes ----

TEST(TickPolicy, KnownRungsEdgesAndBadInputs) {
  // 26 px apart: -45° holds a 14 px line and the gap.
  std::vector<std::string> clusters;
  for (int i = 1; i <= 20; ++i) clusters.push_back("Cluster " + std::to_string(i));
  TickPolicy p = tickPolicy(clusters, 520, std::nullopt, 'x');
  EXPECT_EQ(std::tuple(p.angle, p.font, p.step), std::tuple(-45.0, 12.0, std::int64_t{1}));
  // Letters 12 px apart clear each other level, but plotly itself thins ticks closer than
  // round(1.2 × font); 10 px is the first size it leaves alone.
  std::vector<std::string> letters;
  for (char c = 'A'; c <= 'J'; ++c) letters.emplace_back(1, c);
  p = tickPolicy(letters, 120, std::nullopt, 'x');
  EXPECT_EQ(std::tuple(p.angle, p.font, p.step), std::tuple(0.0, 10.0, std::int64_t{1}));

  EXPECT_NEAR(tickPolicy({}, 300, std::nullopt, 'x').extent, 22.4, 0.02);  // one 12 px line, as Chromium draws it
  EXPECT_DOUBLE_EQ(tickPolicy({}, 300, std::nullopt, 'y').extent,  // a zero-width label
                   tickPolicy(std::vector<std::string>{""}, 300, std::nullopt, 'y').extent);
  std::vector<std::string> labels = {"a"};
  EXPECT_THROW(tickPolicy(labels, std::nan(""), std::nullopt, 'x'), ValueError);
  EXPECT_THROW(tickPolicy(labels, 100, 0.0, 'x'), ValueError);
  EXPECT_THROW(tickPolicy(labels, 100, std::nullopt, 'z'), ValueError);
}

TEST(TickPolicy, FitsEveryOrderTheStatesShow) {
  // Short names level; the same axis in another state shows long ones, which must rotate.
  std::vector<std::string> shortNames = {"EPCAM", "KRT5", "CD8A", "ACTA2"};
  std::vector<std::vector<std::string>> others = {
      {"CD274 (programmed cell death 1 ligand 1)", "MKI67", "CXCL13 (C-X-C motif chemokine ligand 13)", "GZMB"}};
  TickPolicy alone = tickPolicy(shortNames, 300, std::nullopt, 'x');
  TickPolicy all = tickPolicy(shortNames, 300, std::nullopt, 'x', others);
  EXPECT_EQ(alone.angle, 0.0);
  EXPECT_NE(all.angle, 0.0);
  EXPECT_EQ(all.labels, std::vector<std::string>(shortNames.begin(), shortNames.end()));  // the first order's texts
  // The room is the deepest order's: the long names, rotated.
  EXPECT_GT(all.extent, tickPolicy(shortNames, 300, std::nullopt, 'x').extent + 50);
}

// Boxes measured in headless Chromium (getBoundingClientRect of `.xtick text` / `.ytick text`)
// on a plotly figure with the template's ticks: outside, 4 px long, 1 px axis line.
TEST(TickPolicy, CoversTheBoxesChromiumDraws) {
  // Eight categories over 800 px at -45°: the deepest label ends 127.68 px below the plot.
  std::vector<std::string> eight = {"A",   "Fibroblast", "T cell CD8+ effector memory", "Mm", "WWWWWWW",
                                    "ijl", "Endothelial (venous)", "x"};
  TickPolicy rotated = tickPolicy(eight, 800, std::nullopt, 'x');
  ASSERT_EQ(rotated.angle, -45.0);
  EXPECT_TRUE(rotated.extent >= 127.68 && rotated.extent <= 127.68 + 1.0) << rotated.extent;
  EXPECT_EQ(rotated.overhangStart, 0.0);  // "A" starts 40.8 px right of the axis start
  // A y label "1" at 12 px reaches 14.09 px left of the plot.
  double y = tickPolicy(std::vector<std::string>{"1"}, 300, std::nullopt, 'y').extent;
  EXPECT_TRUE(y >= 14.09 && y <= 14.09 * 1.08) << y;
}

// ---- the sweep: every result checked against the drawn boxes ----

struct Case {
  std::vector<std::string> labels;
  double span;
  std::optional<double> font;
  char axis;
};

Case randomCase(std::mt19937& rng) {
  static const std::string alphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 -+_()/.WWjf";
  auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  Case c{{}, std::uniform_real_distribution<double>(100.0, 2000.0)(rng), std::nullopt, uniform(0, 1) ? 'x' : 'y'};
  if (uniform(0, 1) == 0) c.font = uniform(8, 14);
  int n = uniform(0, 3) == 0 ? uniform(100, 500) : uniform(1, 60), longest = uniform(0, 2) == 0 ? 60 : uniform(1, 20);
  for (int i = 0; i < n; ++i) {
    std::string label;
    for (int k = uniform(1, longest); k > 0; --k) label += alphabet[static_cast<std::size_t>(uniform(0, 74))];
    c.labels.push_back(i > 0 && uniform(0, 9) == 0 ? c.labels[static_cast<std::size_t>(uniform(0, i - 1))] : label);
  }
  return c;
}

// The rungs the ladder tries, in order (font, angle, step), up to the chosen one (excluded).
std::vector<std::array<double, 3>> earlierRungs(const Case& c, const TickPolicy& p) {
  std::vector<double> angles = c.axis == 'x' ? std::vector<double>{0, -45, -90} : std::vector<double>{0}, fonts;
  for (double f = c.font.value_or(12); f >= (c.font ? *c.font : TICK_FONT_FLOOR); --f) fonts.push_back(f);
  std::vector<std::array<double, 3>> rungs;
  for (double f : fonts)
    for (double a : angles) rungs.push_back({f, a, 1});
  for (double step = 2; step <= static_cast<double>(p.step); ++step)
    for (double a : angles) rungs.push_back({fonts.back(), a, step});
  auto chosen = std::find(rungs.begin(), rungs.end(), std::array<double, 3>{p.font, p.angle, double(p.step)});
  EXPECT_NE(chosen, rungs.end()) << "font " << p.font << " angle " << p.angle << " step " << p.step;
  rungs.erase(chosen, rungs.end());
  return rungs;
}

TEST(TickPolicySweep, ShownLabelsNeverMeetTheRoomCoversThemAndNoEarlierRungFits) {
  std::mt19937 rng(20240611);
  int strided = 0, shrunk = 0, truncated = 0;
  for (int k = 0; k < 1000; ++k) {
    Case c = randomCase(rng);
    SCOPED_TRACE(testing::Message() << "case " << k << ": n=" << c.labels.size() << " span=" << c.span
                                    << " axis=" << c.axis << " font=" << c.font.value_or(0));
    TickPolicy p = tickPolicy(c.labels, c.span, c.font, c.axis);
    ASSERT_EQ(p.labels.size(), c.labels.size());
    for (std::size_t i = 0; i < c.labels.size(); ++i) {
      EXPECT_LE(textWidth(p.labels[i], p.font), TICK_LABEL_LIMIT);
      if (p.labels[i] != c.labels[i]) {
        ++truncated;
        EXPECT_TRUE(p.labels[i].ends_with(ellipsis) && textWidth(c.labels[i], p.font) > TICK_LABEL_LIMIT);
      }
    }
    strided += p.step > 1;
    shrunk += p.font < 12 && !c.font;
    EXPECT_TRUE(fits(p.labels, c.span, p.font, p.angle, p.step, c.axis));
    Drawn d = draw(p.labels, c.span, p.font, p.angle, p.step, c.axis);
    EXPECT_GE(p.extent, d.depth - 1e-9);
    EXPECT_LE(p.extent, 1.08 * d.depth);
    EXPECT_NEAR(p.overhangStart, d.before, 1e-6);
    EXPECT_NEAR(p.overhangEnd, d.after, 1e-6);
    std::map<double, std::vector<std::string>> texts;  // the labels shortened for each font
    for (const auto& [font, angle, step] : earlierRungs(c, p)) {
      if (!texts.contains(font))
        for (const std::string& label : c.labels) texts[font].push_back(truncate(label, font, TICK_LABEL_LIMIT));
      EXPECT_FALSE(fits(texts[font], c.span, font, angle, static_cast<std::int64_t>(step), c.axis))
          << "an earlier rung fits: font " << font << " angle " << angle << " step " << step;
    }
  }
  EXPECT_GT(strided, 100);  // the sweep reaches every part of the ladder
  EXPECT_GT(shrunk, 20);
  EXPECT_GT(truncated, 100);
}

// ---- axis categories ----

Object trace(std::string type, Object fields = {}) {
  fields.set("type", std::move(type));
  return fields;
}

struct AxisCase {
  const char* why;
  Array traces;
  Object layout;
  std::vector<std::string> x, y;
};

TEST(AxisLabels, CategoriesOfTheTracesOnEachAxis) {
  Value ids = figure::TypedArray::of<std::int32_t>({3, 1, 3});
  Array numericTexts = {trace("bar", {{"x", Array{"0", "1", "10"}}})};
  Array ticked = {trace("bar", {{"x", Array{0, 1, 2}}})};
  Object arrayTicks{{"tickmode", "array"}, {"tickvals", Array{0, 1, 2}}, {"ticktext", Array{"A &amp; B", "<b>C</b>"}}};
  Object linearTicks = arrayTicks;
  linearTicks.set("tickmode", "linear");
  const AxisCase cases[] = {
      {"distinct, first appearance first; hidden traces and other axes left out",
       {trace("bar", {{"x", Array{"b", "a", "b"}}, {"y", Array{1, 2, 3}}}),
        trace("bar", {{"x", Array{"c", "a"}}, {"y", Array{4, 5}}}),
        trace("bar", {{"x", Array{"hidden"}}, {"visible", false}}),
        trace("bar", {{"x", Array{"other axis"}}, {"xaxis", "x2"}})},
       {}, {"b", "a", "c"}, {}},
      // Texts that read as numbers make plotly choose a linear axis too, unless told otherwise.
      {"numeric texts", numericTexts, {}, {}, {}},
      {"mostly letters on a linear axis",
       {numericTexts[0], trace("bar", {{"x", Array{"A", "B", "C", "D", "E", "F", "G"}}})},
       Object{{"xaxis", Object{{"type", "linear"}}}}, {}, {}},
      {"category axes take numbers as their text", {trace("heatmap", {{"y", ids}, {"x", Array{"g1", "g2"}}})},
       Object{{"yaxis", Object{{"type", "category"}}}}, {"g1", "g2"}, {"3", "1"}},
      {"explicit tick texts win as visible text", ticked, Object{{"xaxis", arrayTicks}}, {"A & B", "C", "2"}, {}},
      {"tick texts only count in array mode", ticked, Object{{"xaxis", linearTicks}}, {}, {}},
      {"category array first, then the rest", {trace("bar", {{"x", Array{"a", "b", "z"}}})},
       Object{{"xaxis", Object{{"categoryorder", "array"}, {"categoryarray", Array{"b", "a"}}}}}, {"b", "a", "z"}, {}},
      {"named boxes stand on x",
       {trace("box", {{"y", Array{1, 2}}, {"name", "ctrl"}}), trace("violin", {{"y", Array{1, 2}}, {"name", "treated"}})},
       {}, {"ctrl", "treated"}, {}},
      {"sideways boxes stand on y",
       {trace("box", {{"x", Array{1, 2}}, {"name", "ctrl"}}),
        trace("box", {{"x", Array{1, 2}}, {"name", "treated"}, {"orientation", "h"}})},
       {}, {}, {"ctrl", "treated"}},
      {"odd values are skipped", {"not a trace", trace("scatter", {{"x", Array{Value(), "a", Array{"nested"}, true}}})},
       Object{{"xaxis", 3}}, {"a", "true"}, {}},
  };
  for (const AxisCase& c : cases) {
    figure::Figure fig;
    fig.data = c.traces;
    fig.layout = c.layout;
    EXPECT_EQ(axisLabels(fig, 'x'), c.x) << c.why;
    EXPECT_EQ(axisLabels(fig, 'y'), c.y) << c.why;
  }
  EXPECT_THROW(axisLabels(figure::Figure{}, 'z'), ValueError);
}

}  // namespace
}  // namespace tess::layout
