// Value arrays: half the bytes of float64 wherever float32 does not move a value off its place.
#include "render/families/common/values.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tess::render {

bool _fitsFloat32(std::span<const double> values) {
  constexpr double low = std::numeric_limits<float>::min(), high = std::numeric_limits<float>::max();
  for (double v : values) {
    double size = std::fabs(v);
    // NaN fails both comparisons and travels either way.
    if (size > high || (size < low && size != 0.0)) return false;
  }
  return true;
}

figure::TypedArray compactArray(std::vector<double> values) {
  if (!_fitsFloat32(values)) return figure::TypedArray::of(std::move(values));
  return figure::TypedArray::of(std::vector<float>(values.begin(), values.end()));
}

namespace {

template <class T>
figure::TypedArray as(const std::vector<double>& values, figure::TypedArray::Shape shape) {
  return figure::TypedArray::of(std::vector<T>(values.begin(), values.end()), std::move(shape));
}

}  // namespace

figure::TypedArray narrowest(const std::vector<double>& values, figure::TypedArray::Shape shape) {
  bool whole = std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v) && v == std::trunc(v); });
  auto [low, high] = std::minmax_element(values.begin(), values.end());
  auto fits = [&](double lo, double hi) { return values.empty() || (*low >= lo && *high <= hi); };
  if (!whole) return as<float>(values, std::move(shape));
  if (fits(0, 255)) return as<std::uint8_t>(values, std::move(shape));
  if (fits(-128, 127)) return as<std::int8_t>(values, std::move(shape));
  if (fits(0, 65535)) return as<std::uint16_t>(values, std::move(shape));
  if (fits(-32768, 32767)) return as<std::int16_t>(values, std::move(shape));
  if (fits(INT32_MIN, INT32_MAX)) return as<std::int32_t>(values, std::move(shape));
  return as<float>(values, std::move(shape));
}

}  // namespace tess::render
