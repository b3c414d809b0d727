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

nb::tuple rasterTraces(nb::handle spec, nb::handle window, nb::handle shape) {
  nb::object full = nb::getattr(spec, "full", nb::none());
  if (!given(full)) full = nb::dict();
  nb::object empty = nb::list();
  Coordinates xy = coordinates(full.attr("get")("x", empty), full.attr("get")("y", empty));
  nb::object codes = full.attr("get")("codes");
  CodeArray held = codes.is_none() ? CodeArray{} : codeArray(codes);
  nb::object categories = full.attr("get")("categories");
  nb::list original = given(categories) ? nb::list(categories) : nb::list();
  nb::object mapping = full.attr("get")("colors");

  render::RasterCloud cloud;
  cloud.points = xy.points;
  std::visit([&](auto& p) { p.codes = held.codes; }, cloud.points);
  cloud.coded = !codes.is_none();
  for (nb::handle name : original) {
    cloud.names.push_back(fromPython(name));
    nb::object colour = given(mapping) ? mapping.attr("get")(name) : nb::none();
    cloud.colors.push_back(colour.is_none() ? std::nullopt : std::optional<std::string>(textOf(colour)));
  }
  nb::object label = full.attr("get")("label");
  if (!label.is_none()) cloud.label = textOf(label);

  std::optional<raster::Window> area;
  if (given(window)) {
    auto [x0, x1, y0, y1] = windowOf(window);
    area = raster::Window{x0, x1, y0, y1};
  }
  std::optional<raster::Shape> grid;
  if (given(shape)) grid = shapeOf(shape);
  render::RasterLayer layer;
  {
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
