// Window bounds and the single-pass binning of points into per-category counts.
#include "raster/bin.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

#include "errors.hpp"

namespace tess::raster {

namespace {

// Share of the half-span added on each side, so points on the edge stay clear of it.
constexpr double PAD = 0.01;
// A span this small relative to its centre is no span at all in double precision; below the
// absolute floor, bins per unit of data would overflow.
constexpr double TINY_SPAN = 1e-12;
constexpr double TINY_HALF = 1e-300;
// Half-span given to one point when neither axis has a span.
constexpr double POINT_HALF = 0.5;
constexpr double POINT_SHARE = 0.01;
// A span borrowed from the other axis is at least this share of the centre, which double
// precision can still split into bins (at 9e15 a span of 1 cannot).
constexpr double BORROWED_SHARE = 1e-9;
// Points between looking up a counter and incrementing it (a power of two).
constexpr std::size_t LOOKAHEAD = 64;

// One axis of an extent: its centre and half-span, and whether the span is too small to bin.
struct Axis {
  double lo, hi;

  // Halves first, so that extremes of opposite sign cannot overflow.
  double centre() const { return lo / 2 + hi / 2; }
  double half() const { return hi / 2 - lo / 2; }
  bool degenerate() const {
    return !(half() > std::max(std::abs(centre()) * TINY_SPAN, TINY_HALF));
  }
};

void checkLengths(std::size_t x, std::size_t y) {
  if (x != y) throw ValueError("x and y differ in length: " + std::to_string(x) + " and " + std::to_string(y));
}

template <class T>
Extent extentOf(std::span<const T> x, std::span<const T> y) {
  checkLengths(x.size(), y.size());
  Extent e;
  for (std::size_t i = 0; i < x.size(); ++i) {
    double xi = x[i], yi = y[i];
    if (!std::isfinite(xi) || !std::isfinite(yi)) continue;
    e.x0 = std::min(e.x0, xi);
    e.x1 = std::max(e.x1, xi);
    e.y0 = std::min(e.y0, yi);
    e.y1 = std::max(e.y1, yi);
  }
  return e;
}

void checkShape(Shape shape, std::size_t channels) {
  auto bad = [&](const std::string& why) {
    throw ValueError("a grid of " + std::to_string(shape.rows) + " x " + std::to_string(shape.cols) + " bins " + why);
  };
  if (shape.rows < 1 || shape.cols < 1) bad("is empty");
  if (shape.rows > MAX_SIDE || shape.cols > MAX_SIDE) bad("exceeds " + std::to_string(MAX_SIDE) + " bins a side");
  if (channels > MAX_COUNTERS / (shape.rows * shape.cols))
    bad("with " + std::to_string(channels) + " categories exceeds " + std::to_string(MAX_COUNTERS) + " counters");
}

template <class C>
bool inRange(C code, std::size_t n) {
  if constexpr (std::is_signed_v<C>)
    if (code < 0) return false;
  return static_cast<std::uint64_t>(code) < n;
}

// Where a point's counters start in the grid; `outside` for a point that is not in the window.
struct Mapper {
  static constexpr std::size_t outside = std::numeric_limits<std::size_t>::max();
  double x0, x1, y0, y1, sx, sy;
  std::size_t lastCol, lastRow, cols, channels;

  Mapper(const Window& w, Shape shape, std::size_t channelCount)
      : x0(w.x0), x1(w.x1), y0(w.y0), y1(w.y1),
        sx(double(shape.cols) / (w.x1 - w.x0)), sy(double(shape.rows) / (w.y1 - w.y0)),
        lastCol(shape.cols - 1), lastRow(shape.rows - 1), cols(shape.cols), channels(channelCount) {}

  std::size_t cell(double x, double y) const {
    // Written so that NaN fails every comparison.
    if (!(x >= x0 && x <= x1 && y >= y0 && y <= y1)) return outside;
    // Through int64: one instruction, where a direct conversion to unsigned takes a branch.
    auto col = std::min(static_cast<std::size_t>(static_cast<std::int64_t>((x - x0) * sx)), lastCol);
    auto row = std::min(static_cast<std::size_t>(static_cast<std::int64_t>((y - y0) * sy)), lastRow);
    return (row * cols + col) * channels;
  }
};

// Adds one to out[index(i)] for each point i, skipping those outside, and calls wrapped(at)
// where a counter wraps to zero. Counters are looked up LOOKAHEAD points early and
// prefetched: a grid of many categories outgrows the caches, and scattered increments would
// otherwise wait on memory one at a time.
template <class Counter, class Index, class Wrapped>
void scatter(std::size_t n, const Index& index, Counter* out, const Wrapped& wrapped) {
  std::array<std::size_t, LOOKAHEAD> ahead;
  auto fetch = [&](std::size_t i) {
    std::size_t at = index(i);
    if (at != Mapper::outside) __builtin_prefetch(out + at, 1);
    ahead[i % LOOKAHEAD] = at;
  };
  for (std::size_t i = 0; i < std::min(n, LOOKAHEAD); ++i) fetch(i);
  for (std::size_t i = 0; i < n; ++i) {
    std::size_t at = ahead[i % LOOKAHEAD];
    if (i + LOOKAHEAD < n) fetch(i + LOOKAHEAD);
    if (at != Mapper::outside && ++out[at] == 0) wrapped(at);
  }
}

// Scatters the points into out, their codes mapped to categories as binPoints describes.
template <class T, class Counter, class Wrapped>
void countInto(const Points<T>& p, std::size_t nCategories, std::span<const std::int8_t> channels, const Mapper& m,
               Counter* out, const Wrapped& wrapped) {
  if (nCategories == 0) {
    scatter(p.x.size(), [&](std::size_t i) { return m.cell(p.x[i], p.y[i]); }, out, wrapped);
    return;
  }
  // `channel` gives the category a code counts in, or Mapper::outside for none.
  auto byCode = [&]<class C>(std::span<const C> codes, const auto& channel) {
    scatter(p.x.size(), [&](std::size_t i) {
      std::size_t c = channel(codes[i]);
      if (c == Mapper::outside) return c;
      std::size_t at = m.cell(p.x[i], p.y[i]);
      return at == Mapper::outside ? at : at + c;
    }, out, wrapped);
  };
  std::visit(
      [&]<class S>(const S& codes) {
        if constexpr (!std::is_same_v<S, std::monostate>) {
          using C = std::remove_const_t<typename S::element_type>;
          if (channels.empty()) {
            byCode(codes, [&](C code) { return inRange(code, nCategories) ? std::size_t(code) : Mapper::outside; });
          } else {
            byCode(codes, [&](C code) {
              std::int8_t c = inRange(code, channels.size()) ? channels[std::size_t(code)] : std::int8_t{-1};
              return c < 0 ? Mapper::outside : std::size_t(c);
            });
          }
        }
      },
      p.codes);
}

void checkChannels(std::span<const std::int8_t> channels, std::size_t nCategories) {
  for (std::int8_t c : channels)
    if (c >= 0 && static_cast<std::size_t>(c) >= nCategories)
      throw ValueError("a code maps to category " + std::to_string(c) + " of " + std::to_string(nCategories));
}

// The binning's arguments checked as binPoints describes; the grid's depth.
template <class T>
std::size_t checkBinning(const Points<T>& p, std::size_t nCategories, const Window& window, Shape shape,
                         std::span<const std::int8_t> channels) {
  checkLengths(p.x.size(), p.y.size());
  bool coded = !std::holds_alternative<std::monostate>(p.codes);
  if (coded && size(p.codes) != p.x.size())
    throw ValueError("codes hold " + std::to_string(size(p.codes)) + " values for " + std::to_string(p.x.size()) +
                     " points");
  if (nCategories > 0 && !coded) throw ValueError(std::to_string(nCategories) + " categories need codes");
  // Counts are 32-bit: with fewer points than that no counter can overflow.
  if (p.x.size() > std::numeric_limits<std::uint32_t>::max()) throw ValueError("too many points to count");
  std::size_t depth = std::max<std::size_t>(nCategories, 1);
  checkShape(shape, depth);
  checkWindow(window, shape);
  checkChannels(channels, nCategories);
  return depth;
}

template <class T>
Grid binPointsOf(const Points<T>& p, std::size_t nCategories, const Window& window, Shape shape,
                 std::span<const std::int8_t> channels) {
  std::size_t depth = checkBinning(p, nCategories, window, shape, channels);
  Grid grid{Counts(shape.rows * shape.cols * depth), shape.rows, shape.cols, depth};
  countInto(p, nCategories, channels, Mapper(window, shape, depth), grid.counts.data(), [](std::size_t) {});
  return grid;
}

template <class C>
std::uint64_t largest(std::span<const C> counts) {
  C top = 0;
  for (C v : counts) top = std::max(top, v);
  return top;
}

// The counts in the narrowest width that holds their largest.
PartGrid narrowest(Counts wide, std::size_t rows, std::size_t cols, std::size_t channels) {
  std::uint64_t top = largest(std::span<const std::uint32_t>(wide.data(), wide.size()));
  auto narrowed = [&]<class N>(Counters<N> out) {
    std::transform(wide.begin(), wide.end(), out.data(), [](std::uint32_t v) { return static_cast<N>(v); });
    return PartGrid{std::move(out), rows, cols, channels};
  };
  if (top <= std::numeric_limits<std::uint8_t>::max()) return narrowed(Counters<std::uint8_t>(wide.size()));
  if (top <= std::numeric_limits<std::uint16_t>::max()) return narrowed(Counters<std::uint16_t>(wide.size()));
  return {std::move(wide), rows, cols, channels};
}

// Counted in 8 bits, a quarter of the memory the scattered increments miss in; the counters
// that wrap are noted and widened afterwards.
template <class T>
PartGrid binPartOf(const Points<T>& p, std::size_t nCategories, const Window& window, Shape shape,
                   std::span<const std::int8_t> channels) {
  std::size_t depth = checkBinning(p, nCategories, window, shape, channels);
  Counters<std::uint8_t> small(shape.rows * shape.cols * depth);
  std::vector<std::size_t> wrapped;
  countInto(p, nCategories, channels, Mapper(window, shape, depth), small.data(),
            [&](std::size_t at) { wrapped.push_back(at); });
  if (wrapped.empty()) return {std::move(small), shape.rows, shape.cols, depth};
  Counts wide(small.size());
  std::copy(small.begin(), small.end(), wide.data());
  for (std::size_t at : wrapped) wide[at] += std::uint32_t{1} << 8;
  return narrowest(std::move(wide), shape.rows, shape.cols, depth);
}

// out[i] += in[i]; true when a sum wrapped. Written so that the loop vectorises: a sum that
// wraps is below its addend.
template <class Out, class In>
bool addInto(Out* __restrict out, const In* __restrict in, std::size_t n) {
  std::uint32_t wrapped = 0;
  for (std::size_t i = 0; i < n; ++i) {
    auto sum = static_cast<Out>(out[i] + in[i]);
    wrapped |= std::uint32_t{sum} < std::uint32_t{in[i]};
    out[i] = sum;
  }
  return wrapped != 0;
}

}  // namespace

std::size_t size(const Codes& codes) {
  return std::visit(
      []<class S>(const S& s) -> std::size_t {
        if constexpr (std::is_same_v<S, std::monostate>) return 0;
        else return s.size();
      },
      codes);
}

void checkWindow(const Window& w, Shape shape) {
  auto bad = [](const std::string& why) { throw ValueError("bad window: " + why); };
  if (!std::isfinite(w.x0) || !std::isfinite(w.x1) || !std::isfinite(w.y0) || !std::isfinite(w.y1))
    bad("bounds must be finite");
  if (!(w.x0 < w.x1) || !(w.y0 < w.y1)) bad("x0 < x1 and y0 < y1 are required");
  double spanX = w.x1 - w.x0, spanY = w.y1 - w.y0;
  if (!std::isfinite(spanX) || !std::isfinite(spanY)) bad("span too wide to bin");
  if (!std::isfinite(double(shape.cols) / spanX) || !std::isfinite(double(shape.rows) / spanY))
    bad("span too narrow to bin");
}

Extent extent(std::span<const float> x, std::span<const float> y) { return extentOf(x, y); }
Extent extent(std::span<const double> x, std::span<const double> y) { return extentOf(x, y); }

Window windowAround(const Extent& e) {
  if (e == Extent{}) return {};
  Axis ex{e.x0, e.x1}, ey{e.y0, e.y1};
  // Also catches NaN bounds, and an extent empty along one axis only.
  if (!(ex.lo <= ex.hi) || !(ey.lo <= ey.hi)) throw ValueError("bad extent: x0 <= x1 and y0 <= y1 are required");
  double hx = ex.half(), hy = ey.half();
  if (ex.degenerate() && ey.degenerate()) {
    hx = std::max(POINT_HALF, std::abs(ex.centre()) * POINT_SHARE);
    hy = std::max(POINT_HALF, std::abs(ey.centre()) * POINT_SHARE);
  } else if (ex.degenerate()) {
    hx = std::max(hy, std::abs(ex.centre()) * BORROWED_SHARE);
  } else if (ey.degenerate()) {
    hy = std::max(hx, std::abs(ey.centre()) * BORROWED_SHARE);
  }
  hx *= 1 + PAD;
  hy *= 1 + PAD;
  Window w{ex.centre() - hx, ex.centre() + hx, ey.centre() - hy, ey.centre() + hy};
  // Also catches bounds that overflowed: their difference is then infinite or NaN.
  if (!std::isfinite(w.x1 - w.x0) || !std::isfinite(w.y1 - w.y0)) throw ValueError("coordinates span too wide to bin");
  checkWindow(w, Shape{});
  return w;
}

Window bounds(std::span<const float> x, std::span<const float> y) { return windowAround(extentOf(x, y)); }
Window bounds(std::span<const double> x, std::span<const double> y) { return windowAround(extentOf(x, y)); }

Grid binPoints(const Points<float>& points, std::size_t nCategories, const Window& window, Shape shape,
               std::span<const std::int8_t> channels) {
  return binPointsOf(points, nCategories, window, shape, channels);
}
Grid binPoints(const Points<double>& points, std::size_t nCategories, const Window& window, Shape shape,
               std::span<const std::int8_t> channels) {
  return binPointsOf(points, nCategories, window, shape, channels);
}

template <class T>
PartGrid binPart(const Points<T>& points, std::size_t nCategories, const Window& window, Shape shape,
                 std::span<const std::int8_t> channels) {
  return binPartOf(points, nCategories, window, shape, channels);
}
template PartGrid binPart(const Points<float>&, std::size_t, const Window&, Shape, std::span<const std::int8_t>);
template PartGrid binPart(const Points<double>&, std::size_t, const Window&, Shape, std::span<const std::int8_t>);

PartGrid addCounts(std::span<const PartView> parts) {
  if (parts.empty()) throw ValueError("no grids to add");
  auto length = [](const PartView& v) { return std::visit([](const auto& s) { return s.size(); }, v.counts); };
  const PartView& a = parts.front();
  if (!isProduct(length(a), a.rows, a.cols, a.channels)) throw ValueError("a grid's counts do not fill its shape");
  for (const PartView& b : parts)
    if (b.rows != a.rows || b.cols != a.cols || b.channels != a.channels || length(b) != length(a))
      throw ValueError("grids of " + std::to_string(a.rows) + " x " + std::to_string(a.cols) + " x " +
                       std::to_string(a.channels) + " and " + std::to_string(b.rows) + " x " + std::to_string(b.cols) +
                       " x " + std::to_string(b.channels) + " counts cannot be added");
  // The sum of the largest counts bounds every sum: the narrowest width that holds it is
  // chosen up front, so the sum is written once.
  std::uint64_t bound = 0;
  for (const PartView& b : parts) bound += std::visit([](const auto& s) { return largest(s); }, b.counts);
  auto sumAs = [&]<class T>(Counters<T> sum) {
    bool wrapped = false;
    for (const PartView& b : parts)
      wrapped |= std::visit([&](const auto& s) { return addInto(sum.data(), s.data(), s.size()); }, b.counts);
    if (wrapped) throw ValueError("too many points in one bin to count");
    return PartGrid{std::move(sum), a.rows, a.cols, a.channels};
  };
  if (bound <= std::numeric_limits<std::uint8_t>::max()) return sumAs(Counters<std::uint8_t>(length(a)));
  if (bound <= std::numeric_limits<std::uint16_t>::max()) return sumAs(Counters<std::uint16_t>(length(a)));
  return sumAs(Counts(length(a)));
}

}  // namespace tess::raster
