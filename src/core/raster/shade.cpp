// Colour mixing in linear light and log-density opacity.
#include "raster/shade.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "errors.hpp"
#include "theme/theme.hpp"

namespace tess::raster {

namespace {

// Linear-light values are turned back into sRGB bytes through a table this fine, well
// below one byte step even in the steep dark end.
constexpr std::size_t LEVELS = 4096;

double toLinear(double byte) {
  double v = byte / 255.0;
  return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

const std::array<std::uint8_t, LEVELS + 1>& sRgbTable() {
  static const auto table = [] {
    std::array<std::uint8_t, LEVELS + 1> t{};
    for (std::size_t i = 0; i <= LEVELS; ++i) {
      double v = double(i) / LEVELS;
      double s = v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
      t[i] = static_cast<std::uint8_t>(std::lround(std::clamp(s, 0.0, 1.0) * 255));
    }
    return t;
  }();
  return table;
}

std::uint8_t toByte(double linear) {
  return sRgbTable()[static_cast<std::size_t>(std::lround(std::clamp(linear, 0.0, 1.0) * LEVELS))];
}

// A colour ready for mixing: linear channels premultiplied by alpha, and alpha itself.
struct Ink {
  double r = 0, g = 0, b = 0, a = 0;
};

struct Palette {
  std::vector<Ink> inks;
  std::vector<std::string> names;
};

Palette palette(const std::vector<std::string>& colors) {
  Palette out;
  for (const std::string& text : colors) {
    theme::Color c = theme::parseColor(text);
    // Channels are rounded as written back, so the image and the reported colour agree.
    c.r = std::round(c.r), c.g = std::round(c.g), c.b = std::round(c.b);
    out.inks.push_back({toLinear(c.r) * c.a, toLinear(c.g) * c.a, toLinear(c.b) * c.a, c.a});
    out.names.push_back(c.a == 1 ? theme::hex(c) : theme::rgba(text, 1.0));
  }
  return out;
}

void checkGrid(const GridView& grid) {
  if (grid.rows < 1 || grid.cols < 1 || grid.channels < 1)
    throw ValueError("a grid needs at least one bin and one channel");
  if (!isProduct(grid.counts.size(), grid.rows, grid.cols, grid.channels))
    throw ValueError("grid counts do not match its shape");
}

// Opacity from density: log-scaled between the sparsest and the densest non-empty pixel.
struct Opacity {
  double logLow, logSpan;

  explicit Opacity(Density d)
      : logLow(std::log(double(std::max<std::uint64_t>(d.low, 1)))),
        logSpan(d.high > d.low ? std::log(double(d.high)) - logLow : 0) {}

  double operator()(std::uint64_t n) const {
    if (logSpan == 0) return 1;
    return MIN_ALPHA + (1 - MIN_ALPHA) * (std::log(double(n)) - logLow) / logSpan;
  }
};

std::vector<std::uint64_t> totals(const GridView& grid, Density& density) {
  std::size_t pixels = grid.rows * grid.cols;
  std::vector<std::uint64_t> out(pixels);
  density = {};
  for (std::size_t p = 0; p < pixels; ++p) {
    const std::uint32_t* counts = grid.counts.data() + p * grid.channels;
    std::uint64_t n = 0;
    for (std::size_t k = 0; k < grid.channels; ++k) n += counts[k];
    out[p] = n;
    if (n == 0) continue;
    density.low = density.low == 0 ? n : std::min(density.low, n);
    density.high = std::max(density.high, n);
  }
  return out;
}

void paint(std::uint8_t* pixel, const std::uint32_t* counts, std::uint64_t n, const std::vector<Ink>& inks,
           double opacity) {
  Ink mix;
  for (std::size_t k = 0; k < inks.size(); ++k) {
    double w = counts[k];
    mix.r += w * inks[k].r, mix.g += w * inks[k].g, mix.b += w * inks[k].b, mix.a += w * inks[k].a;
  }
  if (mix.a <= 0) return;  // only fully transparent colours here
  pixel[0] = toByte(mix.r / mix.a);
  pixel[1] = toByte(mix.g / mix.a);
  pixel[2] = toByte(mix.b / mix.a);
  pixel[3] = static_cast<std::uint8_t>(std::lround(std::clamp(opacity * mix.a / double(n), 0.0, 1.0) * 255));
}

}  // namespace

Shaded shade(const GridView& grid, const std::vector<std::string>& colors) {
  checkGrid(grid);
  if (colors.size() != grid.channels)
    throw ValueError(std::to_string(grid.channels) + " channels need as many colours, got " +
                     std::to_string(colors.size()));
  Palette pal = palette(colors);
  Shaded out{{std::vector<std::uint8_t>(grid.rows * grid.cols * 4), grid.rows, grid.cols}, std::move(pal.names), {}};
  std::vector<std::uint64_t> n = totals(grid, out.density);
  Opacity opacity(out.density);
  for (std::size_t p = 0; p < n.size(); ++p)
    if (n[p] > 0) paint(&out.image.rgba[p * 4], grid.counts.data() + p * grid.channels, n[p], pal.inks, opacity(n[p]));
  return out;
}

}  // namespace tess::raster
