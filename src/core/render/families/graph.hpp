// Graphs: named nodes at fixed positions, edges behind them, thresholds as a slider.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "figure/figure.hpp"
#include "frame/frame.hpp"
#include "render/families/common/colors.hpp"
#include "render/finish/finish.hpp"

namespace tess::render {

using Position = std::array<double, 2>;

struct GraphSpec {
  SpecCommon common;
  frame::Frame edges;  ///< one row per edge: "source", "target" and tooltip columns; empty for none
  /// State name text -> one truth value per edge row, in slider order; empty for one state of every edge.
  std::vector<std::pair<std::string, std::vector<bool>>> states;
  bool directed = false;
  std::map<std::string, Position> positions;  ///< node name text -> (x, y)
  std::vector<std::string> names;             ///< node name texts, in drawing order
  std::map<std::string, double> nodeSizes;    ///< node name text -> marker diameter, px
  ColorMap nodeColors;                        ///< node name text -> marker colour
  std::string edgeLabel;
};

inline constexpr double DEFAULT_NODE_PX = 14.0;
inline constexpr std::string_view DEFAULT_NODE_COLOR = "#4C4C4C";
inline constexpr double ARROW_PX = 9.0;
/// How far along each edge its arrowhead sits.
inline constexpr double ARROW_AT = 0.75;

/// Sender and receiver coordinates of the edges a state keeps; element k of each belongs to one edge.
struct Segments {
  std::vector<double> x0, y0, x1, y1;
  std::size_t size() const { return x0.size(); }
};

/// Both ends of every edge row, none where an end has no finite position.
using EdgeEnds = std::vector<std::optional<std::array<Position, 2>>>;
EdgeEnds edgeEnds(const GraphSpec& spec);

/// The segments of the rows `mask` keeps, in row order. ValueError naming `state` when the
/// mask's length is not the number of rows.
Segments segments(const EdgeEnds& ends, const std::vector<bool>& mask, std::string_view state = "");

/// One line trace of the segments, a NaN between edges.
figure::Object edgeTrace(const Segments& drawn);
/// One marker trace with an arrowhead three-quarters along each segment, pointing at the receiver.
figure::Object arrowTrace(const Segments& drawn);

/// Axis ranges with `pad` × span of room on each side for the node names (a zero span counts
/// as 1); none without positions.
std::optional<std::pair<std::array<double, 2>, std::array<double, 2>>> _nodeRanges(std::span<const Position> positions,
                                                                                   double pad = 0.16);

/// The finished graph: every state's edges (and arrowheads) drawn in advance, a threshold
/// slider over them, a node per placed name with its label, and a node-size slider.
figure::Figure graph(const GraphSpec& spec);

}  // namespace tess::render
