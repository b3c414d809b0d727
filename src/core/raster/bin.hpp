// Binning a cloud of points into per-category counts on a regular grid.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <variant>

#include "raster/counts.hpp"

namespace tess::raster {

/// Side of the default square binning grid, in bins.
inline constexpr std::size_t GRID = 512;
/// Most bins along either side of a grid.
inline constexpr std::size_t MAX_SIDE = 8192;
/// Most counters (rows × columns × channels) one grid may hold: 512 MiB of counts.
inline constexpr std::size_t MAX_COUNTERS = std::size_t{1} << 27;

/// A data window [x0, x1] × [y0, y1]; bounds are finite and x0 < x1, y0 < y1.
struct Window {
  double x0 = 0, x1 = 1, y0 = 0, y1 = 1;
  bool operator==(const Window&) const = default;
};

/// Grid size in bins: rows along y, columns along x.
struct Shape {
  std::size_t rows = GRID, cols = GRID;
};

/// True when n equals a · b · c, all of them at least 1 (no overflow can fake it).
inline bool isProduct(std::size_t n, std::size_t a, std::size_t b, std::size_t c) {
  std::size_t ab = 0, abc = 0;
  return a > 0 && b > 0 && c > 0 && !__builtin_mul_overflow(a, b, &ab) && !__builtin_mul_overflow(ab, c, &abc) &&
         abc == n;
}

/// Per-point category codes of any integer type, or none (std::monostate).
using Codes = std::variant<std::monostate, std::span<const std::int8_t>, std::span<const std::int16_t>,
                           std::span<const std::int32_t>, std::span<const std::int64_t>,
                           std::span<const std::uint8_t>, std::span<const std::uint16_t>,
                           std::span<const std::uint32_t>, std::span<const std::uint64_t>>;

/// Number of codes held (0 for none).
std::size_t size(const Codes& codes);

/// Coordinates of n points with optional category codes (x, y and codes equally long).
template <class T>
struct Points {
  std::span<const T> x, y;
  Codes codes;
};

/// Read-only counts laid out C-ordered as (rows, cols, channels); row 0 is the bottom of
/// the window (y0), column 0 its left edge (x0).
struct GridView {
  std::span<const std::uint32_t> counts;
  std::size_t rows = 0, cols = 0, channels = 0;
};

/// Counts that own their storage.
struct Grid {
  Counts counts;
  std::size_t rows = 0, cols = 0, channels = 0;

  GridView view() const { return {{counts.data(), counts.size()}, rows, cols, channels}; }
  std::uint32_t at(std::size_t row, std::size_t col, std::size_t channel) const {
    return counts[(row * cols + col) * channels + channel];
  }
};

/// Throws ValueError unless the window's bounds are finite, ordered and far enough apart
/// for `shape` bins to be told apart in double precision.
void checkWindow(const Window& window, Shape shape);

/// The smallest and largest x and y of the points whose x and y are both finite; with no
/// such point, lo > hi on both axes (+inf, -inf). Extents of parts of a cloud merge into
/// the extent of the whole by min and max.
struct Extent {
  static constexpr double NONE = std::numeric_limits<double>::infinity();
  double x0 = NONE, x1 = -NONE, y0 = NONE, y1 = -NONE;
  bool operator==(const Extent&) const = default;
};

/// The extent of n points; ValueError when x and y differ in length.
Extent extent(std::span<const float> x, std::span<const float> y);
Extent extent(std::span<const double> x, std::span<const double> y);

/// The window around an extent, widened by 1% of its half-span on each side. A zero span
/// takes the other axis's span (at least 1e-9 of its centre, so its bounds stay apart), or
/// ±max(0.5, 1% of the value) when both spans are zero, so one point or one line still gets
/// a window around it. An empty extent: (0, 1, 0, 1). ValueError when the window would
/// overflow or an extent's bound is NaN or lo > hi on one axis only.
Window windowAround(const Extent& extent);

/// The window around the points' extent.
Window bounds(std::span<const float> x, std::span<const float> y);
Window bounds(std::span<const double> x, std::span<const double> y);

/// Counts the points per (row, column, category). A point lands in column
/// floor((x - x0) · (cols / (x1 - x0))), with x == x1 in the last column (the same for
/// rows along y); points outside the window or with a non-finite coordinate are dropped.
/// With nCategories > 0, codes are required and a point whose code lies outside
/// [0, nCategories) is dropped; with nCategories == 0 codes are ignored and every point
/// counts in the one channel. ValueError on unequal lengths, a bad window or a shape
/// outside [1, MAX_SIDE] per side or beyond MAX_COUNTERS in all.
///
/// A non-empty `channels` maps each code to the category it counts in: code c in
/// [0, channels.size()) counts in category channels[c] (none when that is negative), other
/// codes in none; ValueError when a mapped category is not below nCategories.
Grid binPoints(const Points<float>& points, std::size_t nCategories, const Window& window, Shape shape,
               std::span<const std::int8_t> channels = {});
Grid binPoints(const Points<double>& points, std::size_t nCategories, const Window& window, Shape shape,
               std::span<const std::int8_t> channels = {});

/// Counts of a part of a cloud in the narrowest of 8, 16 and 32 bits that holds them: parts
/// binned apart are moved between processes and added, and most of their counts are small.
struct PartGrid {
  std::variant<Counters<std::uint8_t>, Counters<std::uint16_t>, Counts> counts;
  std::size_t rows = 0, cols = 0, channels = 0;
};

/// Read-only counts of any of those widths, laid out as in GridView.
struct PartView {
  std::variant<std::span<const std::uint8_t>, std::span<const std::uint16_t>, std::span<const std::uint32_t>> counts;
  std::size_t rows = 0, cols = 0, channels = 0;
};

/// binPoints' counts as a PartGrid (T: float or double).
template <class T>
PartGrid binPart(const Points<T>& points, std::size_t nCategories, const Window& window, Shape shape,
                 std::span<const std::int8_t> channels = {});

/// The counts of grids of one shape added up (ValueError when there are none, their shapes
/// differ or a sum passes the 32-bit range), so parts of a cloud binned apart make the whole;
/// in the narrowest width that holds the sum of the parts' largest counts.
PartGrid addCounts(std::span<const PartView> parts);

}  // namespace tess::raster
