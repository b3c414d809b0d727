// rasterTraces: a points spec's full cloud of cells as one density image trace.
#include <nanobind/nanobind.h>

#include "_render/bind.hpp"
#include "convert/arrays.hpp"
#include "convert/spec.hpp"
#include "convert/value.hpp"
#include "errors.hpp"
#include "raster/fold.hpp"
#include "render/families/raster_layer.hpp"

namespace tess::bind {

using namespace nb::literals;

namespace {

bool given(nb::handle value) { return !value.is_none() && truth(value); }

std::array<double, 4> windowOf(nb::handle window) {
  std::vector<double> bounds = numbers(window);
  if (bounds.size() != 4) throw ValueError("a window is (x0, x1, y0, y1)");
  return {bounds[0], bounds[1], bounds[2], bounds[3]};
}

raster::Shape shapeOf(nb::handle shape) {
  nb::tuple sides = nb::tuple(shape);
  if (sides.size() != 2) throw ValueError("a grid shape is (rows, cols)");
  return {nonNegative(nb::cast<std::int64_t>(nb::int_(sides[0])), "shape"),
          nonNegative(nb::cast<std::int64_t>(nb::int_(sides[1])), "shape")};
}

// A dask collection carries a task graph; asking needs no import of dask.
bool lazy(nb::handle value) { return nb::hasattr(value, "__dask_graph__"); }

render::RasterKey keyOf(nb::handle full, const nb::list& names) {
  render::RasterKey key;
  nb::object mapping = full.attr("get")("colors");
  for (nb::handle name : names) {
    key.names.push_back(fromPython(name));
    nb::object colour = given(mapping) ? mapping.attr("get")(name) : nb::none();
    key.colors.push_back(colour.is_none() ? std::nullopt : std::optional<std::string>(textOf(colour)));
  }
  nb::object label = full.attr("get")("label");
  if (!label.is_none()) key.label = textOf(label);
  return key;
}

// A cloud held by dask, binned where it lives (tessarine.pl._interactive._dask) and shaded here.
render::RasterLayer lazyLayer(nb::handle x, nb::handle y, nb::handle codes, const render::RasterKey& key,
                              std::optional<raster::Window> area, raster::Shape grid) {
  nb::object window = nb::none();
  if (area) window = nb::make_tuple(area->x0, area->x1, area->y0, area->y1);
  nb::tuple binned = nb::tuple(nb::module_::import_("tessarine.pl._interactive._dask").attr("binCloud")(
      x, y, codes, key.names.size(), window, nb::make_tuple(grid.rows, grid.cols)));
  if (binned.size() != 3) throw ValueError("binning a dask cloud must give (grid, window, counts)");
  HostArray counts = binned[2].is_none() ? HostArray() : typedArray<std::uint64_t>(binned[2], 1, "counts");
  raster::Fold fold;
  if (counts.is_valid()) fold = raster::foldCounts({static_cast<const std::uint64_t*>(counts.data()), counts.size()});
  auto [x0, x1, y0, y1] = windowOf(binned[1]);
  HostArray held = typedArray<std::uint32_t>(binned[0], 3, "grid");
  nb::gil_scoped_release unlocked;  // the grid stays held by held
  return render::rasterImage(key, gridView(held), {x0, x1, y0, y1}, fold);
}

nb::tuple rasterTraces(nb::handle spec, nb::handle window, nb::handle shape) {
  nb::object full = nb::getattr(spec, "full", nb::none());
  if (!given(full)) full = nb::dict();
  nb::object empty = nb::list();
  nb::object x = full.attr("get")("x", empty), y = full.attr("get")("y", empty), codes = full.attr("get")("codes");
  nb::object categories = full.attr("get")("categories");
  nb::list original = given(categories) ? nb::list(categories) : nb::list();
  std::optional<raster::Window> area;
  if (given(window)) {
    auto [x0, x1, y0, y1] = windowOf(window);
    area = raster::Window{x0, x1, y0, y1};
  }
  std::optional<raster::Shape> grid;
  if (given(shape)) grid = shapeOf(shape);

  render::RasterLayer layer;
  if (lazy(x) || lazy(y) || lazy(codes)) {
    layer = lazyLayer(x, y, codes, keyOf(full, original), area, grid.value_or(raster::Shape{}));
  } else {
    Coordinates xy = coordinates(x, y);
    CodeArray held = codes.is_none() ? CodeArray{} : codeArray(codes);
    render::RasterCloud cloud{xy.points, !codes.is_none(), keyOf(full, original)};
    std::visit([&](auto& p) { p.codes = held.codes; }, cloud.points);
    nb::gil_scoped_release unlocked;  // the buffers stay held by xy and held
    layer = render::rasterTraces(cloud, area, grid);
  }
  // Names stay the host's objects (cluster ids are often numbers); the folded rest is new.
  nb::list names;
  for (std::size_t k : layer.kept) names.append(original[k]);
  if (layer.folded > 0) names.append(nb::str(raster::otherName(layer.folded).c_str()));
  nb::list traces;
  traces.append(toPython(layer.trace));
  const raster::Window& w = layer.window;
  return nb::make_tuple(traces, nb::make_tuple(w.x0, w.x1, w.y0, w.y1), names);
}

}  // namespace

void bindRaster(nb::module_& m) {
  m.def("rasterTraces", &rasterTraces, "spec"_a.none(), "window"_a.none() = nb::none(), "shape"_a.none() = nb::none(),
        "The spec's whole cloud of cells as one density image: ([trace], window, category names).");
}

}  // namespace tess::bind
