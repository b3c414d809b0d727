// Heatmaps of one table with hover, a missing-value layer and precomputed views.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "figure/figure.hpp"
#include "frame/frame.hpp"
#include "render/families/common/colors.hpp"
#include "render/finish/finish.hpp"

namespace tess::render {

/// Row and column positions into the table, in the order a view shows them.
using Order = std::pair<std::vector<std::int64_t>, std::vector<std::int64_t>>;

struct MatrixSpec {
  SpecCommon common;
  frame::Frame frame;  ///< index: row names; columns: column names; NaN for missing
  std::vector<std::pair<frame::Name, frame::Frame>> scales;  ///< alternative scalings, in order
  std::vector<std::pair<frame::Name, Order>> orders;         ///< precomputed orders, in order
  std::map<std::string, std::string> scaleKinds;             ///< scale name -> colour kind
  std::vector<std::pair<frame::Name, frame::Frame>> cellHover;  ///< per-cell tooltip tables
  std::map<std::string, std::string> rowNotes;               ///< row name -> note after it
  std::string xlabel, ylabel, colorbarLabel;
  ColorScale color;  ///< map, limit requests and the kind of scales without their own
  bool showValues = false;
  std::string naColor, naLabel;
  bool square = false;
};

/// Nominal cell, px, before the grid sizing widens it for column names.
inline constexpr double MATRIX_CELL_WIDTH = 26.0, MATRIX_CELL_HEIGHT = 22.0;

/// What one heatmap state needs: "z" (float32, rows × columns), "x" and "y" (the escaped
/// column names and row ticks), the tooltip ("customdata" when hover tables are given,
/// "hovertemplate"), the colour limits and scale under `kind` (the spec's kind when
/// empty), and the printed values of small tables.
figure::Object _matrixState(const MatrixSpec& spec, const frame::Frame& table, std::string_view kind = "");

/// The tooltip of a table: the hover tables matched to its cells as one float32
/// rows × columns × tables array (or escaped strings when one of them holds text), and
/// the template naming the row, the column, the value and each hover table.
std::pair<std::optional<figure::Value>, std::string> _matrixHover(const MatrixSpec& spec, const frame::Frame& table);

/// Row ticks: each row's name, followed by its note when the spec has one.
std::vector<std::string> _matrixRowLabels(const MatrixSpec& spec, const frame::Frame& table);

/// The finished heatmap. Views (each scale under each order) switch by a "view" dropdown:
/// a scale restyles the heatmap, an order reorders the axes' categories.
figure::Figure matrix(const MatrixSpec& spec);

}  // namespace tess::render
