// matrix: the Matrix record read into the core's, and its private helpers for the tests.
#include <nanobind/stl/pair.h>
#include <nanobind/stl/string.h>
#include <nanobind/stl/vector.h>

#include "_render/families.hpp"

#include "convert/spec.hpp"
#include "convert/value.hpp"
#include "errors.hpp"
#include "render/families/matrix.hpp"

namespace tess::bind {

using namespace nb::literals;

namespace {

render::Order orderFrom(nb::handle value) {
  nb::tuple pair = nb::tuple(value);
  if (pair.size() != 2)
    throw ValueError("an order is (row positions, column positions), not " + std::to_string(pair.size()) + " values");
  return {indexes(pair[0]), indexes(pair[1])};
}

render::MatrixSpec readMatrix(nb::handle spec) {
  render::MatrixSpec out;
  out.common = readCommon(spec);
  out.scales = namedTables(spec, "scales");
  // Given scales are the views; the table itself is read only when it is the one view.
  if (out.scales.empty()) out.frame = requiredFrame(spec, "frame");
  out.orders = field(spec, "orders", [](nb::handle m) { return namedEntries(m, orderFrom); });
  out.scaleKinds = field(spec, "scaleKinds", [](nb::handle m) { return byKeyText(m, textOf); });
  out.color = colorScaleOf(spec);
  out.cellHover = namedTables(spec, "cellHover");
  out.rowNotes = field(spec, "rowNotes", [](nb::handle m) { return byKeyText(m, textOf); });
  out.xlabel = field(spec, "xlabel", textOf);
  out.ylabel = field(spec, "ylabel", textOf);
  out.colorbarLabel = field(spec, "colorbarLabel", textOf);
  out.showValues = field(spec, "showValues", truth);
  out.naColor = field(spec, "naColor", textOf);
  out.naLabel = field(spec, "naLabel", textOf);
  out.square = field(spec, "square", truth);
  return out;
}

nb::dict matrixState(nb::handle spec, nb::handle table, nb::handle kind) {
  return toPython(render::_matrixState(readMatrix(spec), frameFromPython(table), textOf(kind)));
}

nb::tuple matrixHover(nb::handle spec, nb::handle table) {
  auto [customdata, template_] = render::_matrixHover(readMatrix(spec), frameFromPython(table));
  return nb::make_tuple(customdata ? toPython(*customdata) : nb::none(), template_);
}

std::vector<std::string> matrixRowLabels(nb::handle spec, nb::handle table) {
  return render::_matrixRowLabels(readMatrix(spec), frameFromPython(table));
}

}  // namespace

nb::object drawMatrix(nb::handle spec) { return toPlotly(render::matrix(readMatrix(spec))); }

void bindMatrixHelpers(nb::module_& m) {
  m.def("_matrixState", &matrixState, "spec"_a, "frame"_a, "kind"_a.none() = nb::none(),
        "The heatmap attributes of one view's table.");
  m.def("_matrixHover", &matrixHover, "spec"_a, "frame"_a, "(customdata, template) of a table's tooltip.");
  m.def("_matrixRowLabels", &matrixRowLabels, "spec"_a, "frame"_a, "Row ticks with the spec's notes.");
}

}  // namespace tess::bind
