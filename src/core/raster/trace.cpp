// The image trace: geometry from the window, pixels as a PNG data URI, the key in meta.
#include "raster/trace.hpp"

#include "errors.hpp"
#include "raster/png.hpp"
#include "theme/theme.hpp"

namespace tess::raster {

namespace {

figure::Array strings(const std::vector<std::string>& texts) {
  figure::Array out;
  for (const std::string& text : texts) out.emplace_back(text);
  return out;
}

}  // namespace

figure::Object imageTrace(const ImageView& image, const Window& window, const std::vector<std::string>& colors,
                          Density density, const figure::Array& names, std::string_view label) {
  checkWindow(window, {image.rows, image.cols});
  if (colors.empty()) throw ValueError("an image trace needs at least one colour");
  if (!names.empty() && names.size() != colors.size())
    throw ValueError(std::to_string(names.size()) + " category names for " + std::to_string(colors.size()) +
                     " colours");
  if (density.low > density.high) throw ValueError("density low exceeds high");
  double dx = (window.x1 - window.x0) / double(image.cols);
  double dy = (window.y1 - window.y0) / double(image.rows);
  figure::Object meta{{"label", std::string(label)},
                      {"categories", names},
                      {"colors", strings(colors)},
                      {"density", figure::Array{density.low, density.high}}};
  return figure::Object{{"type", "image"},
                        {"name", theme::escape(label)},
                        {"source", pngDataUri(image)},
                        {"x0", window.x0 + dx / 2},
                        {"dx", dx},
                        {"y0", window.y0 + dy / 2},
                        {"dy", dy},
                        {"hoverinfo", "skip"},
                        {"meta", std::move(meta)}};
}

}  // namespace tess::raster
