// Point labels as placement sees them: sites, markers and obstacles in drawing pixels, and where each label may go.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "layout/occupancy.hpp"
#include "layout/point_labels.hpp"

namespace tess::layout::labels {

/// Annotation border and pad, written on every label so templates cannot change the box.
inline constexpr double BORDER_WIDTH = 0;
inline constexpr double BORDER_PAD = 2;

/// One label to place.
struct Site {
  std::size_t record;           ///< index into the labels handed in
  Point at;                     ///< the point in drawing pixels
  std::array<double, 2> data;   ///< x and y as annotations give them (log10 on a log axis)
  int width, height;            ///< the box plotly draws at its largest, whole pixels
};

/// Everything placement looks at, in drawing pixels.
struct Scene {
  double width = 0, height = 0;
  double markerRadius = 0;
  std::vector<Site> sites;     ///< in priority order
  std::vector<Point> markers;  ///< every marker to keep clear, labelled points included
  double pointRadius = 0;
  std::vector<Point> points;     ///< other markers, drawn at pointRadius
  std::vector<Box> obstacles;    ///< clipped to the drawing area
  std::vector<Segment> lines;    ///< lines labels keep off where they can
  double fontPx = 0;
};

/// The width plotly gives the box of a label with this text, whole pixels.
int labelWidth(std::string_view text, double fontPx);

/// The scene for pointLabels' arguments; throws ValueError as pointLabels does.
Scene scene(std::span<const LabelRecord> labels, std::array<double, 2> xRange, std::array<double, 2> yRange,
            double plotWidth, double plotHeight, const PointLabelOptions& options);

/// A place for a label: its box, and either the side of the point it sits on (beside the
/// point, no leader) or a leader line. Boxes are whole pixels: plotly draws an annotation
/// box on whole pixels of the figure, so with whole-pixel margins it is drawn exactly there.
struct Candidate {
  PixelBox box;
  double gap;                ///< from the point to the box, pixels
  std::int8_t sideX, sideY;  ///< -1, 0 or 1: left/below, centred, right/above (beside only)
  bool leader;
};

/// The centre of a candidate's box.
Point centreOf(const Candidate& candidate);
/// The visible leader of a candidate: from the marker's edge to the box.
Segment leaderOf(const Site& site, const Candidate& candidate, double markerRadius);

/// The candidate positions of a scene's labels, nearest first: eight beside the point,
/// then rings of leader positions out to a cap. The same for every label, so a label's
/// candidates are made one at a time as they are tried.
class Candidates {
 public:
  explicit Candidates(const Scene& scene);
  std::size_t size() const { return slots_.size(); }
  /// The number of candidates whose gap is at most `gap`: they come first.
  std::size_t within(double gap) const;
  /// The largest gap between a point and its box.
  double longest() const { return slots_.back().gap; }
  /// Candidate k (< size()) of the site.
  Candidate at(const Site& site, std::size_t k) const;

 private:
  struct Slot {
    double gap;
    Point direction;  ///< unit vector from the point to the box (leaders only)
    std::int8_t sideX, sideY;
    bool leader;
  };
  double besideGap_;
  std::vector<Slot> slots_;
};

}  // namespace tess::layout::labels
