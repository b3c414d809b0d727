// Value arrays: half the bytes of float64 wherever float32 does not move a value off its place.
#include "render/families/common/values.hpp"

#include <cmath>
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

}  // namespace tess::render
