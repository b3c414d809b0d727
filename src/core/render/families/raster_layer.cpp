#include "render/families/raster_layer.hpp"

#include "errors.hpp"
#include "raster/shade.hpp"
#include "raster/trace.hpp"
#include "render/families/common/colors.hpp"

namespace tess::render {

RasterLayer rasterTraces(const RasterCloud& cloud, std::optional<raster::Window> window,
                         std::optional<raster::Shape> shape) {
  raster::Codes codes = std::visit([](const auto& p) { return p.codes; }, cloud.points);
  raster::Fold fold;
  if (cloud.coded) fold = raster::foldCounts(raster::countCategories(codes, cloud.key.names.size()));
  raster::Window area =
      window ? *window : std::visit([](const auto& p) { return raster::bounds(p.x, p.y); }, cloud.points);
  raster::Grid grid = std::visit(
      [&](const auto& points) {
        return raster::binPoints(points, fold.nCategories(), area, shape.value_or(raster::Shape{}), fold.channels);
      },
      cloud.points);
  return rasterImage(cloud.key, grid.view(), area, fold);
}

RasterLayer rasterImage(const RasterKey& key, const raster::GridView& grid, const raster::Window& window,
                        const raster::Fold& fold) {
  if (key.colors.size() != key.names.size())
    throw ValueError(std::to_string(key.colors.size()) + " colours for " + std::to_string(key.names.size()) +
                     " categories");
  RasterLayer out{{}, window, fold.kept, fold.folded};
  figure::Array names;
  std::vector<std::string> colors;
  for (std::size_t k : fold.kept) {
    names.push_back(key.names.at(k));
    colors.push_back(categoryColor("full['colors']", key.colors[k], UNMAPPED_RASTER_COLOR));
  }
  if (fold.folded > 0) {
    names.emplace_back(raster::otherName(fold.folded));
    colors.emplace_back(UNMAPPED_RASTER_COLOR);
  }
  if (colors.empty()) colors.emplace_back(CLOUD_COLOR);
  raster::Shaded shaded = raster::shade(grid, colors);
  out.trace = raster::imageTrace(shaded.image.view(), window, shaded.colors, shaded.density, names, key.label);
  return out;
}

}  // namespace tess::render
