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

// The finite values of f(v) over `values`, summarised: how many, the extremes, and the
// (k+1)-th smallest and (k+1)-th largest for k = floor(n / 100). Exact, and without copying
// the values: a histogram over the range finds the bucket holding each wanted rank, and only
// that bucket's values are selected among.
struct Trimmed {
  std::size_t n = 0;
  Range full{0.0, 0.0}, trimmed{0.0, 0.0};
};

template <class F>
Trimmed trimmedStats(std::span<const double> values, F f) {
  Trimmed out;
  double lo = BIG, hi = -BIG;
  for (double v : values) {
    double x = f(v);
    if (!std::isfinite(x)) continue;
    ++out.n;
    lo = std::min(lo, x);
    hi = std::max(hi, x);
  }
  if (out.n == 0) return out;
  out.full = {lo, hi};
  std::size_t k = out.n / 100;
  if (lo == hi) {
    out.trimmed = out.full;
    return out;
  }
  constexpr std::size_t kBuckets = 4096;
  // Scaled so that the span cannot overflow; the bucket of a value never decreases with it.
  double scale = static_cast<double>(kBuckets) / (hi / 2 - lo / 2);
  if (!std::isfinite(scale)) {
    // Extremes a few subnormals apart: too close to bucket, and few enough to select among.
    std::vector<double> all;
    for (double v : values)
      if (double x = f(v); std::isfinite(x)) all.push_back(x);
    std::nth_element(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(k), all.end());
    double low = all[k];
    std::nth_element(all.begin(), all.end() - 1 - static_cast<std::ptrdiff_t>(k), all.end());
    out.trimmed = {low, all[out.n - 1 - k]};
    return out;
  }
  auto bucketOf = [&](double x) {
    return std::min(static_cast<std::size_t>((x / 2 - lo / 2) * scale), kBuckets - 1);
  };
  std::vector<std::size_t> counts(kBuckets);
  for (double v : values)
    if (double x = f(v); std::isfinite(x)) ++counts[bucketOf(x)];
  auto locate = [&](std::size_t rank, std::size_t& within) {
    std::size_t b = 0;
    for (; rank >= counts[b]; ++b) rank -= counts[b];
    within = rank;
    return b;
  };
  std::size_t lowWithin = 0, highWithin = 0;
  std::size_t lowBucket = locate(k, lowWithin), highBucket = locate(out.n - 1 - k, highWithin);
  std::vector<double> low, high;
  for (double v : values) {
    double x = f(v);
    if (!std::isfinite(x)) continue;
    std::size_t b = bucketOf(x);
    if (b == lowBucket) low.push_back(x);
    if (b == highBucket) high.push_back(x);
  }
  std::nth_element(low.begin(), low.begin() + static_cast<std::ptrdiff_t>(lowWithin), low.end());
  std::nth_element(high.begin(), high.begin() + static_cast<std::ptrdiff_t>(highWithin), high.end());
  out.trimmed = {low[lowWithin], high[highWithin]};
  return out;
}

Limits sequential(std::span<const double> values, std::optional<double> vmin, std::optional<double> vmax) {
  if (vmin && vmax) return {*vmin, *vmax, std::nullopt};
  Range trimmed{0.0, 1.0}, full{0.0, 1.0};
  Trimmed stats = trimmedStats(values, [](double v) { return v; });
  if (stats.n > 0) {
    full = stats.full;
    trimmed = stats.trimmed;
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
  // Deviations from the centre of finite values (an infinite deviation of a finite value
  // is left out, as the value would be).
  Trimmed stats = trimmedStats(values, [&](double v) { return std::isfinite(v) ? std::abs(v - center) : NAN; });
  double m = 0.0;
  if (stats.n > 0) {
    m = stats.trimmed.high;
    if (m == 0.0) m = stats.full.high;  // all but a few sit on the center
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
