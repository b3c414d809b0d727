// Equal-width histograms of a column of numbers, read in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

namespace tess::render {

/// Every `stride`-th element from `data`, `size` of them: a column of a row-major table
/// read where it lies.
template <class T>
struct Strided {
  const T* data = nullptr;
  std::size_t size = 0;
  std::ptrdiff_t stride = 1;
  T operator[](std::size_t i) const { return data[static_cast<std::ptrdiff_t>(i) * stride]; }
};

/// A float32 or float64 column, borrowed: `owner` keeps the bytes alive.
struct NumberColumn {
  std::variant<Strided<float>, Strided<double>> values;
  std::shared_ptr<const void> owner;

  /// A column owning `values`.
  static NumberColumn of(std::vector<double> values);
  std::size_t size() const;
  /// The values as float64, in order.
  std::vector<double> doubles() const;
};

/// Counts in `bins` equal bins between the edges; the last bin holds its right edge.
struct Histogram {
  std::vector<std::int64_t> counts;
  std::vector<double> edges;  ///< bins + 1, rising

  /// Means of consecutive edges.
  std::vector<double> centres() const;
};

/// Counts over a grid of x bins by y bins, row by row along y: counts[j * xbins + i] is the
/// number in x bin i and y bin j.
struct Histogram2 {
  std::vector<std::int64_t> counts;
  std::vector<double> xEdges, yEdges;
};

/// The finite values of `values` in `bins` equal bins spanning their range. All values
/// equal: the range is widened to [v - 0.5, v + 0.5]; no finite value: [0, 1]. ValueError
/// for fewer than one bin or a range wider than the largest double.
Histogram histogram(const NumberColumn& values, std::int64_t bins);

/// The same over the cells where x and y are both finite, `bins` bins per axis; ValueError
/// also when x and y differ in length.
Histogram2 histogram2(const NumberColumn& x, const NumberColumn& y, std::int64_t bins);

}  // namespace tess::render
