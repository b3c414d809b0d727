// The renderer's fixed constants, shared by several families and the funnel.
#pragma once

#include <cstdint>

namespace tess::render {

/// From this many points on, points are drawn with the WebGL scatter.
inline constexpr std::int64_t GL_THRESHOLD = 4000;
/// Up to this many cells the hover shows each cell's identity.
inline constexpr std::int64_t HOVER_IDENTITY_LIMIT = 20000;
/// Room left of a y axis whose ticks are numbers, px.
inline constexpr double NUMERIC_WIDTH = 48.0;
/// Matrices with more cells than this print no values in them.
inline constexpr std::int64_t MAX_LABELLED_CELLS = 400;
/// Widest column name the dot plot sizes its cells for, px.
inline constexpr double MAX_NAMED_COLUMN = 64.0;
/// Largest dot of the dot plot, px.
inline constexpr double MAX_DOT = 22.0;

}  // namespace tess::render
