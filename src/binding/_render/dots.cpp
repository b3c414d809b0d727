// dots: the Dots record read into the core's, and the grid sizing rule.
#include <nanobind/stl/pair.h>
#include <nanobind/stl/string.h>
#include <nanobind/stl/vector.h>

#include "_render/families.hpp"

#include "convert/spec.hpp"
#include "convert/value.hpp"
#include "errors.hpp"
#include "render/families/common/area.hpp"
#include "render/families/dots.hpp"

namespace tess::bind {

using namespace nb::literals;

namespace {

render::DotsSpec readDots(nb::handle spec) {
  render::DotsSpec out;
  out.common = readCommon(spec);
  out.scales = namedTables(spec, "scales");
  // Given scales replace the colour table, which may then be absent.
  if (out.scales.empty()) out.color = requiredFrame(spec, "color");
  out.size = optionalFrame(spec, "size").value_or(frame::Frame());
  out.extra = namedTables(spec, "extra");
  out.scale = colorScaleOf(spec);
  out.colorLabel = field(spec, "colorLabel", textOf);
  out.sizeLabel = field(spec, "sizeLabel", textOf);
  out.xlabel = field(spec, "xlabel", textOf);
  out.ylabel = field(spec, "ylabel", textOf);
  return out;
}

std::size_t count(nb::handle value, const char* what) {
  auto n = nb::cast<std::int64_t>(nb::int_(value));
  if (n < 0) throw ValueError(std::string("a grid cannot have ") + std::to_string(n) + " " + what);
  return static_cast<std::size_t>(n);
}

std::pair<double, double> cellArea(nb::handle shape, double cellWidth, double cellHeight, nb::handle columns,
                                   std::pair<double, double> floor, nb::handle square) {
  if (nb::len(shape) != 2) throw ValueError("a grid's shape is (rows, columns)");
  std::vector<std::string> names = texts(columns);
  render::PlotArea area = render::_cellArea(count(shape[0], "rows"), count(shape[1], "columns"), cellWidth,
                                            cellHeight, names, {floor.first, floor.second}, truth(square));
  return {area.width, area.height};
}

}  // namespace

nb::object drawDots(nb::handle spec) { return toPlotly(render::dots(readDots(spec))); }

void bindDotsHelpers(nb::module_& m) {
  m.def("_cellArea", &cellArea, "shape"_a, "cellWidth"_a, "cellHeight"_a, "columns"_a = nb::tuple(),
        "floor"_a = std::make_pair(240.0, 200.0), "square"_a = nb::bool_(false),
        "The drawing area (width, height) of a grid of cells of a nominal size.");
}

}  // namespace tess::bind
