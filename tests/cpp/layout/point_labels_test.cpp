// Point labels: boxes as plotly draws them never collide, odd input, the geometry the audit counts with.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <tuple>
#include <vector>

#include "errors.hpp"
#include "layout/metrics.hpp"
#include "layout/point_labels.hpp"
#include "layout/occupancy.hpp"

namespace tess::layout {
namespace {

using figure::Array;
using figure::Object;

constexpr double W = 720, H = 520, FONT = 12, RADIUS = 4;
constexpr Box OBSTACLE{0, H / 2 - 20, 60, H / 2 + 20};  // centred across: the same seen from either edge

// ---- the drawn picture, rebuilt from the annotations the way plotly.js draws them ----

double jsRound(double v) { return std::floor(v + 0.5); }

struct Drawn {
  std::string text;
  Box box;  // screen pixels, y down
  bool leader = false;
  Segment line;  // visible leader, screen pixels
};

struct Picture {
  std::array<double, 2> xRange{0, 1}, yRange{0, 1};
  bool logX = false, logY = false;
  std::vector<Point> markers{};  // screen pixels
  std::vector<Box> obstacles{};  // screen pixels
};

double axisPixel(double value, std::array<double, 2> range, double length, bool flip) {
  double f = (value - range[0]) / (range[1] - range[0]);
  return jsRound((flip ? 1 - f : f) * length * 100) / 100;  // plotly's l2p keeps 1/100 px
}

Point screenOf(const Picture& pic, double x, double y) {
  double rx = pic.logX ? std::log10(x) : x, ry = pic.logY ? std::log10(y) : y;
  return {axisPixel(rx, pic.xRange, W, false), axisPixel(ry, pic.yRange, H, true)};
}

double anchorShare(const std::string& anchor) {
  if (anchor == "left" || anchor == "top") return 0.5;
  if (anchor == "right" || anchor == "bottom") return -0.5;
  return 0;
}

Drawn drawnOf(const Object& a, const Picture& pic) {
  double size = a.at("font").asObject().at("size").asDouble();
  double pad = 2 * (a.at("borderwidth").asDouble() + a.at("borderpad").asDouble());
  Drawn d;
  d.text = a.at("text").asString();
  // Chromium's text box at its widest: the advances and ink overhanging them by up to 1 px
  // at each end across; ascent and descent rounded each, down.
  LineMetrics line = lineMetrics(size);
  double u = jsRound(textWidth(d.text, size) + 2 + pad), v = jsRound(jsRound(line.ascent) + jsRound(line.descent) + pad);
  double hx = axisPixel(a.at("x").asDouble(), pic.xRange, W, false);
  double hy = axisPixel(a.at("y").asDouble(), pic.yRange, H, true);
  d.leader = a.at("showarrow").asBool();
  EXPECT_TRUE(!d.leader || a.at("axref").asString() == "pixel");
  double cx = d.leader ? hx + a.at("ax").asDouble()
                       : hx + u * anchorShare(a.at("xanchor").asString()) + a.at("xshift").asDouble();
  double cy = d.leader ? hy + a.at("ay").asDouble()
                       : hy + v * anchorShare(a.at("yanchor").asString()) - a.at("yshift").asDouble();
  d.box = {jsRound(cx - u / 2), jsRound(cy - v / 2), jsRound(cx - u / 2) + u, jsRound(cy - v / 2) + v};
  if (d.leader) {
    // From where the line from the box centre to the head leaves the box, to the head less the standoff.
    double dx = hx - cx, dy = hy - cy, len = std::hypot(dx, dy);
    double t = std::min((u - 1) / 2 / std::max(std::abs(dx), 1e-12), (v - 1) / 2 / std::max(std::abs(dy), 1e-12));
    double standoff = a.at("standoff").asDouble();
    EXPECT_GT(len * (1 - t) - standoff, 1.0) << d.text << ": plotly hides a leader shorter than its standoff";
    d.line = {{cx + dx * t, cy + dy * t}, {hx - dx / len * standoff, hy - dy / len * standoff}};
  }
  return d;
}

struct Audit {
  std::size_t placed = 0, overlaps = 0, outside = 0, onMarkers = 0, onObstacles = 0, leadersThroughLabels = 0;
  std::size_t faults() const { return overlaps + outside + onMarkers + onObstacles + leadersThroughLabels; }
};

Audit audit(const Array& annotations, const Picture& pic) {
  std::vector<Drawn> drawn;
  for (const auto& a : annotations) drawn.push_back(drawnOf(a.asObject(), pic));
  Audit r;
  r.placed = drawn.size();
  for (std::size_t i = 0; i < drawn.size(); ++i) {
    const Drawn& d = drawn[i];
    if (d.box.x0 < 0 || d.box.y0 < 0 || d.box.x1 > W || d.box.y1 > H) ++r.outside;
    for (Point m : pic.markers) r.onMarkers += overlaps(d.box, m, RADIUS);
    for (const Box& o : pic.obstacles) r.onObstacles += overlaps(d.box, o);
    for (std::size_t j = 0; j < drawn.size(); ++j) {
      if (j == i) continue;
      if (j > i) r.overlaps += overlaps(d.box, drawn[j].box);
      if (d.leader) r.leadersThroughLabels += crosses(d.line, drawn[j].box);
    }
  }
  return r;
}

// ---- seeded scenes ----

struct Random {
  std::uint64_t state;
  std::uint64_t next() {  // splitmix64
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
  double normal() { return std::sqrt(-2 * std::log(1 - uniform())) * std::cos(2 * std::numbers::pi * uniform()); }
  std::string gene(std::size_t i) {
    std::string name;
    for (std::size_t k = 0, n = 2 + next() % 4; k < n; ++k) name += static_cast<char>('A' + next() % 26);
    return name + std::to_string(i);
  }
};

struct Case {
  std::string name;
  std::vector<LabelRecord> labels;
  std::vector<std::array<double, 2>> points;
  std::array<double, 2> xRange, yRange;
};

std::array<double, 2> rangeOf(const std::vector<std::array<double, 2>>& pts, int axis) {
  double lo = pts[0][axis], hi = lo;
  for (const auto& p : pts) lo = std::min(lo, p[axis]), hi = std::max(hi, p[axis]);
  return {lo - 0.05 * (hi - lo), hi + 0.05 * (hi - lo)};
}

// Volcano: 1000 points, the n farthest out labelled; uniform: n labelled of 3n.
Case makeCase(const std::string& kind, std::size_t n, std::uint64_t seed) {
  Random rng{seed};
  Case c{kind + " n=" + std::to_string(n) + " seed=" + std::to_string(seed), {}, {}, {}, {}};
  std::size_t total = kind == "volcano" ? 1000 : 3 * n;
  for (std::size_t i = 0; i < total; ++i) {
    if (kind == "volcano") {
      double effect = rng.normal() * 1.5;
      c.points.push_back({effect, std::abs(rng.normal()) * (1 + std::abs(effect))});
    } else {
      c.points.push_back({rng.uniform(), rng.uniform()});
    }
  }
  if (kind == "volcano")
    std::stable_sort(c.points.begin(), c.points.end(),
                     [](const auto& a, const auto& b) { return std::hypot(a[0], a[1]) > std::hypot(b[0], b[1]); });
  for (std::size_t k = 0; k < n; ++k) c.labels.push_back({c.points[k][0], c.points[k][1], rng.gene(k), {}});
  c.xRange = rangeOf(c.points, 0);
  c.yRange = rangeOf(c.points, 1);
  return c;
}

// The same picture on log axes: values become 10^v, ranges stay in log10 units as plotly holds them.
Case onLogAxes(Case c) {
  c.name += " log";
  for (auto& l : c.labels) l.x = std::pow(10.0, l.x), l.y = std::pow(10.0, l.y);
  for (auto& p : c.points) p = {std::pow(10.0, p[0]), std::pow(10.0, p[1])};
  return c;
}

// ---- the suite ----

Picture pictureOf(const Case& c, bool log) {
  Picture pic{c.xRange, c.yRange, log, log, {}, {OBSTACLE}};
  for (const auto& p : c.points) pic.markers.push_back(screenOf(pic, p[0], p[1]));
  return pic;
}

TEST(PointLabels, SeededSuiteHasNoCollisionsAndPlacesAllOfFifty) {
  for (const char* kind : {"volcano", "uniform"})
    for (std::size_t n : {50, 100, 200, 500})
      for (std::uint64_t seed : {1, 2})
        for (bool log : {false, true}) {
          Case c = makeCase(kind, n, seed);
          if (log) c = onLogAxes(c);
          PointLabelOptions options{FONT, RADIUS, log, log, std::span(&OBSTACLE, 1), c.points};
          Audit a = audit(pointLabels(c.labels, c.xRange, c.yRange, W, H, options), pictureOf(c, log));
          EXPECT_EQ(a.faults(), 0u) << c.name << ": overlaps " << a.overlaps << ", outside " << a.outside
                                    << ", on markers " << a.onMarkers << ", leaders through labels "
                                    << a.leadersThroughLabels;
          if (n == 50) { EXPECT_EQ(a.placed, n) << c.name; }
        }
}

// ---- single cases ----

Array place(const std::vector<LabelRecord>& labels, const PointLabelOptions& options = {FONT, RADIUS}) {
  return pointLabels(labels, {0, 10}, {0, 10}, W, H, options);
}

TEST(PointLabels, LoneLabelSitsRightOfItsPointOnWholePixelsEscapedAndColoured) {
  Array out = place({{5, 5, "CD8A", std::string("#B2182B")}, {5, 1, "<b>A&B</b> 50%", {}}});
  ASSERT_EQ(out.size(), 2u);
  const Object& a = out[0].asObject();
  EXPECT_EQ(a.at("font").asObject().at("color").asString(), "#B2182B");
  EXPECT_EQ(out[1].asObject().at("text").asString(), "&lt;b&gt;A&amp;B&lt;/b&gt; 50&#37;");
  EXPECT_FALSE(a.at("showarrow").asBool());
  // The box's left edge: the first whole pixel at least radius + 1.5 px right of the point.
  Drawn d = drawnOf(a, Picture{{0, 10}, {0, 10}});
  EXPECT_EQ(d.box.x0, std::ceil(W / 2 + RADIUS + 1.5));
  EXPECT_EQ(d.box.x1 - d.box.x0, jsRound(textWidth("CD8A", FONT) + 6));
  EXPECT_NEAR((d.box.y0 + d.box.y1) / 2, H / 2, 0.5);
}

TEST(PointLabels, UndrawablePointsGetNoLabel) {
  double nan = std::nan(""), inf = INFINITY;
  PointLabelOptions log{FONT, RADIUS, true, false};
  std::vector<LabelRecord> labels = {{100, 5, "kept", {}},  {0, 5, "zero", {}},   {-3, 5, "negative", {}},
                                     {nan, 5, "nan", {}},   {inf, 5, "inf", {}},  {5e5, 5, "beyond", {}},
                                     {100, 11, "above", {}}, {100, 5, "", {}}};
  Array out = pointLabels(labels, {0, 4}, {0, 10}, W, H, log);  // x range in log10 units
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].asObject().at("text").asString(), "kept");
  EXPECT_DOUBLE_EQ(out[0].asObject().at("x").asDouble(), 2);  // log10(100)
}

TEST(PointLabels, ReversedAndZeroWidthRangesWork) {
  // Reversed: x = 2 of [10, 0] is 80 % across; zero width: plotly widens [5, 5] to [4, 6].
  for (auto [given, drawn, x, share] : {std::tuple{std::array{10.0, 0.0}, std::array{10.0, 0.0}, 2.0, 0.8},
                                        std::tuple{std::array{5.0, 5.0}, std::array{4.0, 6.0}, 5.5, 0.75}}) {
    Array out = pointLabels(std::vector<LabelRecord>{{x, 5, "a", {}}}, given, {0, 10}, W, H, {FONT, RADIUS});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_NEAR(drawnOf(out[0].asObject(), Picture{drawn, {0, 10}}).box.x0, share * W + RADIUS + 1.5, 1);
  }
}

TEST(PointLabels, ManyLabelsAtOnePointFanOutOnLeadersMostImportantFirst) {
  std::vector<LabelRecord> labels;
  for (int i = 0; i < 40; ++i) labels.push_back({5, 5, "gene" + std::to_string(i), {}});
  Array out = place(labels);
  // Leaders share the point, so the inner labels wall off much of the outer rings.
  EXPECT_GE(out.size(), 16u);
  EXPECT_EQ(audit(out, Picture{{0, 10}, {0, 10}, false, false, {{W / 2, H / 2}}}).faults(), 0u);
  EXPECT_EQ(out[0].asObject().at("text").asString(), "gene0");
  // A drawing area that holds one label of this size right of the point and no more: the more important wins.
  out = pointLabels(std::vector<LabelRecord>{{0.1, 0.5, "first", {}}, {0.1, 0.5, "second", {}}}, {0, 1}, {0, 1}, 60,
                    40, {FONT, RADIUS});
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].asObject().at("text").asString(), "first");
}

TEST(PointLabels, LabelsTakeASideNoLineRunsThroughAndShortenRatherThanDrop) {
  // A line through the point from left to right: the label sits above or below it.
  std::vector<std::array<std::array<double, 2>, 2>> lines = {{{{0, 5}, {10, 5}}}};
  PointLabelOptions options{FONT, RADIUS};
  options.lines = lines;
  Array out = place({{5, 5, "CD8A", {}}}, options);
  ASSERT_EQ(out.size(), 1u);
  Drawn d = drawnOf(out[0].asObject(), Picture{{0, 10}, {0, 10}});
  EXPECT_TRUE(d.box.y1 <= H / 2 || d.box.y0 >= H / 2);
  // Too wide for the area whole: its head and an ellipsis.
  std::string name = "a rather long cell-type name";
  out = pointLabels(std::vector<LabelRecord>{{0.1, 0.5, name, {}}}, {0, 1}, {0, 1}, 120, 40, {FONT, RADIUS});
  ASSERT_EQ(out.size(), 1u);
  std::string shown = out[0].asObject().at("text").asString();
  ASSERT_TRUE(shown.ends_with("\u2026"));
  EXPECT_TRUE(name.starts_with(shown.substr(0, shown.size() - std::string("\u2026").size())));
}

TEST(PointLabels, BadSizesAndRangesAreValueErrors) {
  std::vector<LabelRecord> one = {{5, 5, "a", {}}};
  double nan = std::nan("");
  EXPECT_THROW(pointLabels(one, {0, nan}, {0, 10}, W, H), ValueError);
  EXPECT_THROW(pointLabels(one, {0, 10}, {0, 10}, 1e6, H), ValueError);
  EXPECT_THROW(pointLabels(one, {0, 10}, {0, 10}, W, H, {FONT, -1.0}), ValueError);
  EXPECT_TRUE(pointLabels(one, {0, 10}, {0, 10}, 0, 0).empty());
  EXPECT_TRUE(pointLabels({}, {0, 10}, {0, 10}, W, H).empty());
}

// ---- geometry and the occupancy bitmap ----

// The audit above counts with these, so they are held to hand cases: touching is not overlapping.
TEST(Occupancy, TouchingIsNotOverlapping) {
  const Box b{0, 0, 10, 10};
  EXPECT_EQ(std::vector<bool>({overlaps(b, Box{10, 0, 20, 10}), overlaps(b, Box{9.9, 9.9, 20, 20}),
                               overlaps(b, Point{14, 5}, 4), overlaps(b, Point{13.9, 5}, 4),
                               overlaps(b, Point{13, 13}, 4)}),  // corner 4.24 away
            std::vector<bool>({false, true, false, true, false}));
  EXPECT_EQ(std::vector<bool>({crosses(Segment{{-5, 0}, {15, 0}}, b), crosses(Segment{{-5, 5}, {5, 15}}, b),
                               crosses(Segment{{-5, 5}, {1, 5}}, b)}),  // along an edge, through a corner, in
            std::vector<bool>({false, false, true}));
}

}  // namespace
}  // namespace tess::layout
