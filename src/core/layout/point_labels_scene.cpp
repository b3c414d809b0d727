// From data coordinates to the pixel scene, and the candidate positions around each point.
#include "layout/point_labels_scene.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>

#include "errors.hpp"
#include "layout/metrics.hpp"

namespace tess::layout::labels {

namespace {

/// Between the marker's edge and a label beside it.
constexpr double BESIDE_GAP = 1.5;
/// The shortest leader worth drawing, from the marker's edge.
constexpr double SHORTEST_LEADER = 8;
/// Steps between leader rings and between positions along a ring.
constexpr double RING_STEP = 8;
constexpr double ARC_STEP = 12;
/// The longest leader, as a share of the longer side of the drawing area, within bounds.
constexpr double LONGEST_LEADER_SHARE = 0.2;
constexpr double LONGEST_LEADER_FLOOR = 40;
constexpr double LONGEST_LEADER_CAP = 240;
/// Largest font size and marker radius taken, in pixels.
constexpr double LARGEST_SIZE = 1000;
/// Largest side of a drawing area labels are placed on (its pixels are held in bitmaps).
constexpr double LARGEST_SIDE = 8192;
/// Tolerance of the width model against the browser (0.02 px), rounded up generously.
constexpr double WIDTH_TOLERANCE = 0.05;
/// Chromium's box of a line of text also covers glyph ink that overhangs the advances,
/// rounded out to whole pixels: up to 1 px at each end (measured: "j", "w", "_" first,
/// "k", "w", "W" last).
constexpr double INK_OVERHANG = 2;

/// One axis as plotly maps it: range values to drawing pixels.
struct Axis {
  double lo, hi, length;
  bool log;

  /// The value in range units (log10 on a log axis), or nothing when it cannot be drawn.
  std::optional<double> rangeValue(double v) const {
    if (log) {
      if (!(v > 0) || !std::isfinite(v)) return std::nullopt;
      v = std::log10(v);
    }
    if (!std::isfinite(v)) return std::nullopt;
    return v;
  }
  double fraction(double r) const { return (r - lo) / (hi - lo); }
};

Axis axisOf(std::array<double, 2> range, double length, bool log) {
  if (!std::isfinite(range[0]) || !std::isfinite(range[1])) throw ValueError("axis ranges must be finite");
  // plotly widens a range of zero width the same way before drawing.
  if (range[0] == range[1]) {
    double pad = std::max(1.0, std::abs(range[0]) * 1e-6);
    range = {range[0] - pad, range[1] + pad};
  }
  return {range[0], range[1], length, log};
}

void checkSizes(double plotWidth, double plotHeight, const PointLabelOptions& options) {
  if (!(plotWidth >= 0 && plotWidth <= LARGEST_SIDE) || !(plotHeight >= 0 && plotHeight <= LARGEST_SIDE))
    throw ValueError("the drawing area must be 0 to 8192 pixels a side");
  if (!(options.fontPx > 0 && options.fontPx <= LARGEST_SIZE))
    throw ValueError("the label font size must be above 0 and at most 1000 pixels");
  if (!(options.markerRadiusPx >= 0 && options.markerRadiusPx <= LARGEST_SIZE))
    throw ValueError("the marker radius must be 0 to 1000 pixels");
}

/// plotly's Math.round of a measured size, erring upwards where the width model may be short.
int drawnSize(double measured) {
  return static_cast<int>(std::min(std::floor(measured + 0.5 + WIDTH_TOLERANCE), 1e6));
}

/// The text as one line: plotly shows line breaks in annotation text as spaces.
std::string oneLine(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += (text[i] == '\r' || text[i] == '\n') ? ' ' : text[i];
  }
  return out;
}

struct Mapped {
  std::array<double, 2> data;
  Point at;
};

/// A data point in range units and pixels, or nothing when it is not drawn.
std::optional<Mapped> mapPoint(const Axis& x, const Axis& y, double vx, double vy) {
  auto rx = x.rangeValue(vx), ry = y.rangeValue(vy);
  if (!rx || !ry) return std::nullopt;
  double fx = x.fraction(*rx), fy = y.fraction(*ry);
  return Mapped{{*rx, *ry}, {fx * x.length, fy * y.length}};
}

bool inRange(const Mapped& m, const Scene& s) {
  return m.at.x >= 0 && m.at.x <= s.width && m.at.y >= 0 && m.at.y <= s.height;
}

/// Keeps markers whose disc reaches into the drawing area.
void addMarker(const Scene& s, std::vector<Point>& to, Point p, double r) {
  if (p.x >= -r && p.x <= s.width + r && p.y >= -r && p.y <= s.height + r) to.push_back(p);
}

void addObstacle(Scene& s, const Box& b) {
  if (std::isnan(b.x0) || std::isnan(b.y0) || std::isnan(b.x1) || std::isnan(b.y1)) return;
  Box clipped{std::max(std::min(b.x0, b.x1), 0.0), std::max(std::min(b.y0, b.y1), 0.0),
              std::min(std::max(b.x0, b.x1), s.width), std::min(std::max(b.y0, b.y1), s.height)};
  if (clipped.x0 < clipped.x1 && clipped.y0 < clipped.y1) s.obstacles.push_back(clipped);
}

int nearest(double v) { return floorInt(v + 0.5); }

/// From the centre of a box with half extents `half` to its edge along the unit vector u.
double toEdge(Point half, Point u) {
  double ax = std::abs(u.x), ay = std::abs(u.y);
  if (ax * half.y >= ay * half.x) return half.x / ax;
  return half.y / ay;
}

/// n unit vectors around a circle, n a multiple of eight: the eight main directions in
/// order of preference, then the others by angle.
std::vector<Point> directions(std::size_t n) {
  static constexpr std::array<std::size_t, 8> mainOctants = {0, 4, 2, 6, 1, 3, 7, 5};  // E W N S NE NW SE SW
  auto unit = [n](std::size_t k) {
    double angle = 2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(n);
    return Point{std::cos(angle), std::sin(angle)};
  };
  std::size_t stride = n / 8;
  std::vector<Point> out;
  out.reserve(n);
  for (std::size_t octant : mainOctants) out.push_back(unit(octant * stride));
  for (std::size_t k = 0; k < n; ++k)
    if (k % stride != 0) out.push_back(unit(k));
  return out;
}

}  // namespace

Scene scene(std::span<const LabelRecord> labels, std::array<double, 2> xRange, std::array<double, 2> yRange,
            double plotWidth, double plotHeight, const PointLabelOptions& options) {
  checkSizes(plotWidth, plotHeight, options);
  Axis x = axisOf(xRange, plotWidth, options.logX);
  Axis y = axisOf(yRange, plotHeight, options.logY);
  Scene s;
  s.width = plotWidth;
  s.height = plotHeight;
  s.markerRadius = options.markerRadiusPx;
  s.pointRadius = options.pointRadiusPx.value_or(options.markerRadiusPx);
  s.fontPx = options.fontPx;
  if (!(s.pointRadius >= 0 && s.pointRadius <= LARGEST_SIZE)) throw ValueError("the marker radius must be 0 to 1000 pixels");
  double pad = 2 * (BORDER_WIDTH + BORDER_PAD);
  // Chromium's box of one line of text is the font's ascent plus descent, each rounded to
  // whole pixels (measured: 14 px at 12 px); their sum rounded up is never less.
  LineMetrics line = lineMetrics(options.fontPx);
  int height = drawnSize(std::ceil(line.ascent + line.descent) + pad);
  for (std::size_t i = 0; i < labels.size(); ++i) {
    auto m = mapPoint(x, y, labels[i].x, labels[i].y);
    if (!m) continue;
    addMarker(s, s.markers, m->at, s.markerRadius);
    if (!inRange(*m, s) || labels[i].text.empty()) continue;
    s.sites.push_back({i, m->at, m->data, labelWidth(labels[i].text, options.fontPx), height});
  }
  for (const auto& p : options.points)
    if (auto m = mapPoint(x, y, p[0], p[1])) addMarker(s, s.points, m->at, s.pointRadius);
  for (const Box& b : options.obstacles) addObstacle(s, b);
  for (const auto& [a, b] : options.lines) {
    auto ma = mapPoint(x, y, a[0], a[1]), mb = mapPoint(x, y, b[0], b[1]);
    if (ma && mb) s.lines.push_back({ma->at, mb->at});
  }
  return s;
}

int labelWidth(std::string_view text, double fontPx) {
  return drawnSize(textWidth(oneLine(text), fontPx) + INK_OVERHANG + 2 * (BORDER_WIDTH + BORDER_PAD));
}

Point centreOf(const Candidate& candidate) {
  return {(candidate.box.x0 + candidate.box.x1) / 2.0, (candidate.box.y0 + candidate.box.y1) / 2.0};
}

Segment leaderOf(const Site& site, const Candidate& candidate, double markerRadius) {
  Point c = centreOf(candidate);
  Point d{c.x - site.at.x, c.y - site.at.y};
  double length = std::sqrt(d.x * d.x + d.y * d.y);
  Point u{d.x / length, d.y / length};
  double inside = toEdge({site.width / 2.0, site.height / 2.0}, u);
  return {{site.at.x + u.x * markerRadius, site.at.y + u.y * markerRadius}, {c.x - u.x * inside, c.y - u.y * inside}};
}

Candidates::Candidates(const Scene& scene) : besideGap_(scene.markerRadius + BESIDE_GAP) {
  // Beside the point: right, left, above, below, then the corners.
  static constexpr std::array<std::array<std::int8_t, 2>, 8> sides = {
      {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {-1, 1}, {1, -1}, {-1, -1}}};
  for (auto [sx, sy] : sides) slots_.push_back({0, {}, sx, sy, false});
  double longest = std::clamp(LONGEST_LEADER_SHARE * std::max(scene.width, scene.height), LONGEST_LEADER_FLOOR,
                              LONGEST_LEADER_CAP);
  for (double gap = scene.markerRadius + SHORTEST_LEADER; gap <= scene.markerRadius + longest; gap += RING_STEP) {
    // Positions along the ring at most ARC_STEP apart, measured a little outside the gap.
    double around = 2 * std::numbers::pi * (gap + ARC_STEP) / ARC_STEP;
    for (Point u : directions(8 * static_cast<std::size_t>(std::ceil(around / 8))))
      slots_.push_back({gap, u, 0, 0, true});
  }
}

std::size_t Candidates::within(double gap) const {
  auto beyond = std::upper_bound(slots_.begin(), slots_.end(), gap, [](double g, const Slot& s) { return g < s.gap; });
  return static_cast<std::size_t>(beyond - slots_.begin());
}

Candidate Candidates::at(const Site& site, std::size_t k) const {
  const Slot& slot = slots_[k];
  double px = site.at.x, py = site.at.y;
  int w = site.width, h = site.height;
  int x0, y0;
  if (slot.leader) {
    Point half{w / 2.0, h / 2.0};
    double reach = slot.gap + toEdge(half, slot.direction);
    x0 = nearest(px + slot.direction.x * reach - half.x);
    y0 = nearest(py + slot.direction.y * reach - half.y);
  } else {
    // The box edge or corner facing the point at least the gap away, on whole pixels.
    double g = slot.sideX != 0 && slot.sideY != 0 ? besideGap_ / std::numbers::sqrt2 : besideGap_;
    x0 = slot.sideX > 0 ? ceilInt(px + g) : slot.sideX < 0 ? floorInt(px - g) - w : nearest(px - w / 2.0);
    y0 = slot.sideY > 0 ? ceilInt(py + g) : slot.sideY < 0 ? floorInt(py - g) - h : nearest(py - h / 2.0);
  }
  return {{x0, y0, x0 + w, y0 + h}, slot.gap, slot.sideX, slot.sideY, slot.leader};
}

}  // namespace tess::layout::labels
