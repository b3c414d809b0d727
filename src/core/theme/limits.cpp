// Colour limits: the value range a colour scale spans, robust to a few extreme values.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "errors.hpp"
#include "theme/theme.hpp"

namespace tess::theme {

namespace {

constexpr double BIG = std::numeric_limits<double>::max();

std::string number(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6g", v);
  return buffer;
}

// An explicit bound: NaN means "not given" (how a float field says unset), infinities are errors.
std::optional<double> bound(std::optional<double> v, const char* name) {
  if (!v || std::isnan(*v)) return std::nullopt;
  if (!std::isfinite(*v)) throw ValueError(std::string(name) + " must be finite, got " + number(*v));
  return v;
}

// A width that still separates two doubles near x.
double width(double x, double w) { return std::max(w, std::abs(x) * 1e-9); }
double clampFinite(double v) { return std::clamp(v, -BIG, BIG); }

struct Range {
  double low, high;
};

// The k-th smallest and k-th largest of the values, k = floor(n / 100). Reorders them.
Range trimmedRange(std::vector<double>& v) {
  std::size_t n = v.size(), k = n / 100;
  std::nth_element(v.begin(), v.begin() + k, v.end());
  double low = v[k];
  // Everything from position k on is already >= low, so the second pass only looks there.
  std::nth_element(v.begin() + k, v.end() - 1 - k, v.end());
  return {low, v[n - 1 - k]};
}

std::vector<double> finite(std::span<const double> values) {
  std::vector<double> out;
  out.reserve(values.size());
  for (double v : values)
    if (std::isfinite(v)) out.push_back(v);
  return out;
}

Limits sequential(std::span<const double> values, std::optional<double> vmin, std::optional<double> vmax) {
  if (vmin && vmax) return {*vmin, *vmax, std::nullopt};
  std::vector<double> v = finite(values);
  Range trimmed{0.0, 1.0}, full{0.0, 1.0};
  if (!v.empty()) {
    auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    full = {*lo, *hi};
    trimmed = trimmedRange(v);
    if (trimmed.low == trimmed.high) trimmed = full;  // sparse data: trimming kept one value
  }
  if (vmin) {
    double high = trimmed.high > *vmin ? trimmed.high : full.high > *vmin ? full.high : *vmin + width(*vmin, 1.0);
    return {*vmin, clampFinite(high), std::nullopt};
  }
  if (vmax) {
    double low = trimmed.low < *vmax ? trimmed.low : full.low < *vmax ? full.low : *vmax - width(*vmax, 1.0);
    return {clampFinite(low), *vmax, std::nullopt};
  }
  if (trimmed.low == trimmed.high) {  // constant data: the value sits mid-scale, as plotly does
    double w = width(trimmed.low, 0.5);
    return {clampFinite(trimmed.low - w), clampFinite(trimmed.high + w), std::nullopt};
  }
  return {trimmed.low, trimmed.high, std::nullopt};
}

Limits diverging(std::span<const double> values, std::optional<double> vmin, std::optional<double> vmax,
                 double center) {
  if (vmin && vmax) return {*vmin, *vmax, center};
  if (vmin) {
    if (*vmin >= center)
      throw ValueError("vmin " + number(*vmin) + " must lie below the center " + number(center) +
                       " of a diverging scale");
    return {*vmin, clampFinite(center + (center - *vmin)), center};
  }
  if (vmax) {
    if (*vmax <= center)
      throw ValueError("vmax " + number(*vmax) + " must lie above the center " + number(center) +
                       " of a diverging scale");
    return {clampFinite(center - (*vmax - center)), *vmax, center};
  }
  std::vector<double> deviation = finite(values);
  for (double& d : deviation) d = std::abs(d - center);
  double m = 0.0;
  if (!deviation.empty()) {
    auto kth = deviation.end() - 1 - deviation.size() / 100;
    std::nth_element(deviation.begin(), kth, deviation.end());
    m = *kth;
    if (m == 0.0) m = *std::max_element(kth, deviation.end());  // all but a few sit on the center
  }
  if (!(m > 0.0)) m = width(center, 1.0);  // nothing off-centre: a unit half-width
  return {clampFinite(center - m), clampFinite(center + m), center};
}

}  // namespace

Limits colorLimits(std::span<const double> values, std::string_view kind, std::optional<double> vmin,
                   std::optional<double> vmax, std::optional<double> center) {
  vmin = bound(vmin, "vmin");
  vmax = bound(vmax, "vmax");
  if (vmin && vmax && !(*vmin < *vmax))
    throw ValueError("vmin " + number(*vmin) + " must be below vmax " + number(*vmax));
  if (!isDiverging(kind)) return sequential(values, vmin, vmax);
  return diverging(values, vmin, vmax, bound(center, "center").value_or(0.0));
}

}  // namespace tess::theme
