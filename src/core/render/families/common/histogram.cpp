// Histograms in two passes over the values (their range, then the counts), each pass split
// over the cores for large columns; nothing is sorted or copied.
#include "render/families/common/histogram.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <thread>

#include "errors.hpp"
#include "parallel.hpp"

namespace tess::render {

namespace {

// Below this many values a column is read on one core: threads cost more than they save.
constexpr std::size_t PARALLEL_VALUES = std::size_t{1} << 18;
// A grid wider than this per axis would overflow its cell count long before it fits in memory.
constexpr std::int64_t MAX_GRID_BINS = 65535;

constexpr double kInf = std::numeric_limits<double>::infinity();

std::size_t piecesFor(std::size_t n) {
  return n < PARALLEL_VALUES ? 1 : std::max(1u, std::thread::hardware_concurrency());
}

// Start of piece p of `pieces` over n values.
std::size_t pieceStart(std::size_t n, std::size_t pieces, std::size_t p) { return n / pieces * p + std::min(p, n % pieces); }

struct Span {
  double low = kInf, high = -kInf;
  void widen(const Span& other) {
    low = std::min(low, other.low);
    high = std::max(high, other.high);
  }
};

// One axis's bins: numpy's linspace edges, and the guess of a value's bin that the edges then correct.
struct Axis {
  std::vector<double> edges;
  double low = 0.0, scale = 0.0;
  std::size_t bins = 0;

  Axis(const Span& span, std::size_t n) : bins(n) {
    double lo = 0.0, hi = 1.0;
    if (span.low <= span.high) {
      lo = span.low, hi = span.high;
      if (lo == hi) {
        lo -= 0.5, hi += 0.5;
        // So large that half a unit is lost: the two neighbouring doubles still give a range.
        if (lo == hi) lo = std::nextafter(lo, -kInf), hi = std::nextafter(hi, kInf);
      }
    }
    double delta = hi - lo;
    if (!std::isfinite(delta)) throw ValueError("the values span more than the largest number: cannot bin them");
    double step = delta / static_cast<double>(n);
    edges.resize(n + 1);
    for (std::size_t i = 0; i < n; ++i) {
      double k = static_cast<double>(i);
      edges[i] = (step == 0.0 ? k / static_cast<double>(n) * delta : k * step) + lo;
    }
    edges[n] = hi;
    low = lo;
    scale = static_cast<double>(n) / delta;
  }

  // The bin of a finite value inside the range: edges[k] <= v < edges[k + 1], the last bin
  // closed. The guess is off by at most one where rounding puts v beside an edge.
  std::size_t binOf(double v) const {
    double at = (v - low) * scale;
    std::size_t k = at >= static_cast<double>(bins) ? bins - 1 : static_cast<std::size_t>(at);
    if (k > 0 && v < edges[k]) --k;
    else if (k + 1 < bins && v >= edges[k + 1]) ++k;
    return k;
  }
};

std::size_t checkedBins(std::int64_t bins, std::int64_t most) {
  if (bins < 1 || bins > most)
    throw ValueError("bins must be a whole number from 1 to " + std::to_string(most) + ", not " + std::to_string(bins));
  return static_cast<std::size_t>(bins);
}

template <class F>
decltype(auto) visitColumn(const NumberColumn& column, F&& f) {
  return std::visit(std::forward<F>(f), column.values);
}

// Per-piece partial results, merged in piece order so that the result does not depend on timing.
template <class Part, class Job>
std::vector<Part> byPieces(std::size_t n, Job job) {
  std::size_t pieces = piecesFor(n);
  std::vector<Part> parts(pieces);
  parallelFor(pieces, [&](std::size_t p) { parts[p] = job(pieceStart(n, pieces, p), pieceStart(n, pieces, p + 1)); },
              pieces);
  return parts;
}

std::vector<std::int64_t> summed(const std::vector<std::vector<std::int64_t>>& parts, std::size_t size) {
  std::vector<std::int64_t> out(size, 0);
  for (const auto& part : parts)
    for (std::size_t k = 0; k < size; ++k) out[k] += part[k];
  return out;
}

}  // namespace

NumberColumn NumberColumn::of(std::vector<double> values) {
  auto held = std::make_shared<std::vector<double>>(std::move(values));
  Strided<double> view{held->data(), held->size(), 1};
  return NumberColumn{view, std::move(held)};
}

std::size_t NumberColumn::size() const {
  return visitColumn(*this, [](const auto& v) { return v.size; });
}

std::vector<double> NumberColumn::doubles() const {
  return visitColumn(*this, [](const auto& v) {
    std::vector<double> out(v.size);
    for (std::size_t i = 0; i < v.size; ++i) out[i] = static_cast<double>(v[i]);
    return out;
  });
}

std::vector<double> Histogram::centres() const {
  std::vector<double> out(edges.empty() ? 0 : edges.size() - 1);
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = (edges[i] + edges[i + 1]) / 2.0;
  return out;
}

Histogram histogram(const NumberColumn& values, std::int64_t bins) {
  std::size_t n = checkedBins(bins, std::numeric_limits<std::int32_t>::max());
  return visitColumn(values, [&](const auto& v) {
    std::vector<Span> spans = byPieces<Span>(v.size, [&](std::size_t begin, std::size_t end) {
      Span s;
      for (std::size_t i = begin; i < end; ++i) {
        double x = static_cast<double>(v[i]);
        if (std::isfinite(x)) s.low = std::min(s.low, x), s.high = std::max(s.high, x);
      }
      return s;
    });
    Span span;
    for (const Span& s : spans) span.widen(s);
    Axis axis(span, n);
    auto parts = byPieces<std::vector<std::int64_t>>(v.size, [&](std::size_t begin, std::size_t end) {
      std::vector<std::int64_t> counts(n, 0);
      for (std::size_t i = begin; i < end; ++i) {
        double x = static_cast<double>(v[i]);
        if (std::isfinite(x)) ++counts[axis.binOf(x)];
      }
      return counts;
    });
    return Histogram{summed(parts, n), std::move(axis.edges)};
  });
}

Histogram2 histogram2(const NumberColumn& x, const NumberColumn& y, std::int64_t bins) {
  std::size_t n = checkedBins(bins, MAX_GRID_BINS);
  if (x.size() != y.size())
    throw ValueError("x and y differ in length: " + std::to_string(x.size()) + " and " + std::to_string(y.size()));
  return visitColumn(x, [&](const auto& xs) {
    return visitColumn(y, [&](const auto& ys) {
      using Spans = std::pair<Span, Span>;
      std::vector<Spans> spans = byPieces<Spans>(xs.size, [&](std::size_t begin, std::size_t end) {
        Spans s;
        for (std::size_t i = begin; i < end; ++i) {
          double a = static_cast<double>(xs[i]), b = static_cast<double>(ys[i]);
          if (!std::isfinite(a) || !std::isfinite(b)) continue;
          s.first.low = std::min(s.first.low, a), s.first.high = std::max(s.first.high, a);
          s.second.low = std::min(s.second.low, b), s.second.high = std::max(s.second.high, b);
        }
        return s;
      });
      Spans span;
      for (const Spans& s : spans) span.first.widen(s.first), span.second.widen(s.second);
      Axis across(span.first, n), up(span.second, n);
      auto parts = byPieces<std::vector<std::int64_t>>(xs.size, [&](std::size_t begin, std::size_t end) {
        std::vector<std::int64_t> counts(n * n, 0);
        for (std::size_t i = begin; i < end; ++i) {
          double a = static_cast<double>(xs[i]), b = static_cast<double>(ys[i]);
          if (std::isfinite(a) && std::isfinite(b)) ++counts[up.binOf(b) * n + across.binOf(a)];
        }
        return counts;
      });
      return Histogram2{summed(parts, n * n), std::move(across.edges), std::move(up.edges)};
    });
  });
}

}  // namespace tess::render
