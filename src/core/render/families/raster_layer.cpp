#include "render/families/raster_layer.hpp"

#include "errors.hpp"
#include "raster/fold.hpp"
#include "raster/shade.hpp"
#include "raster/trace.hpp"
#include "render/families/common/colors.hpp"

namespace tess::render {

RasterLayer rasterTraces(const RasterCloud& cloud, std::optional<raster::Window> window,
                         std::optional<raster::Shape> shape) {
  std::size_t given = cloud.names.size();
  if (cloud.colors.size() != given)
    throw ValueError(std::to_string(cloud.colors.size()) + " colours for " + std::to_string(given) + " categories");
  RasterLayer out;
  raster::Folded folded;
  std::size_t count = 0;
  raster::Codes codes = std::visit([](const auto& p) { return p.codes; }, cloud.points);
  if (cloud.coded) {
    folded = raster::foldCategories(codes, given);
    count = folded.nCategories();
    codes = std::span<const std::int8_t>(folded.codes);
    out.kept = folded.kept;
    out.folded = folded.folded;
  }
  out.window = window ? *window : std::visit([](const auto& p) { return raster::bounds(p.x, p.y); }, cloud.points);
  raster::Grid grid = std::visit(
      [&](auto points) {
        points.codes = codes;
        return raster::binPoints(points, count, out.window, shape.value_or(raster::Shape{}));
      },
      cloud.points);

  figure::Array names;
  std::vector<std::string> colors;
  for (std::size_t k : out.kept) {
    names.push_back(cloud.names[k]);
    colors.push_back(categoryColor("full['colors']", cloud.colors[k], UNMAPPED_RASTER_COLOR));
  }
  if (out.folded > 0) {
    names.emplace_back(raster::otherName(out.folded));
    colors.emplace_back(UNMAPPED_RASTER_COLOR);
  }
  if (colors.empty()) colors.emplace_back(CLOUD_COLOR);
  raster::Shaded shaded = raster::shade(grid.view(), colors);
  out.trace = raster::imageTrace(shaded.image.view(), out.window, shaded.colors, shaded.density, names, cloud.label);
  return out;
}

}  // namespace tess::render
