// The renderer's extension module: specs to plotly figures.
#include <nanobind/nanobind.h>
#include <nanobind/stl/string.h>

#include "_render/bind.hpp"
#include "convert/exceptions.hpp"
#include "convert/frame.hpp"
#include "convert/page_arrays.hpp"
#include "convert/spec.hpp"
#include "convert/value.hpp"
#include "figure/json.hpp"
#include "render/entry/constants.hpp"
#include "render/entry/dispatch.hpp"

namespace nb = nanobind;
using namespace nb::literals;
using namespace tess;

namespace {

nb::object emptyFigure() { return bind::toPlotly(figure::Figure{}); }

nb::object figureFor(nb::handle spec, nb::module_ self) {
  std::vector<render::Family> families = bind::familiesOf(spec);
  if (families.empty()) {
    std::string name = nb::cast<std::string>(spec.type().attr("__name__"));
    throw nb::type_error(render::notASpecMessage(name).c_str());
  }
  // Looked up at each call, as the host may replace a builder on the module.
  const render::FamilyEntry& entry = render::DISPATCH[static_cast<std::size_t>(families.front())];
  return self.attr(entry.builder.data())(spec);
}

nb::dict configFor(nb::handle spec) {
  std::vector<render::Family> families = bind::familiesOf(spec);
  return bind::toPython(render::configFor(families));
}

}  // namespace

NB_MODULE(_render, m) {
  m.doc() = "Specs to plotly figures.";
  bind::registerErrors();
  // Cells read as pandas prints them in this process, whichever numpy it runs.
  bind::followNumpyText();

  m.attr("GL_THRESHOLD") = render::GL_THRESHOLD;
  m.attr("HOVER_IDENTITY_LIMIT") = render::HOVER_IDENTITY_LIMIT;
  m.attr("NUMERIC_WIDTH") = render::NUMERIC_WIDTH;
  m.attr("MAX_LABELLED_CELLS") = render::MAX_LABELLED_CELLS;
  m.attr("MAX_NAMED_COLUMN") = render::MAX_NAMED_COLUMN;
  m.attr("MAX_DOT") = render::MAX_DOT;

  nb::module_ self = m;
  m.def("figureFor", [self](nb::handle spec) { return figureFor(spec, self); }, "spec"_a.none(),
        "The finished figure of the spec's family.");
  m.def("configFor", &configFor, "spec"_a.none(), "The plotly config that travels with the spec's figure.");
  m.def("_figure", &emptyFigure, "A new, empty figure.");
  m.def("_encodeArrays", &bind::encodeArrays, "tree"_a, "isSkipped"_a,
        "Replaces the renderer's read-only arrays in a figure's plain form by what the page writes.");

  bind::bindFinish(m);
  bind::bindFamilies(m);
  bind::bindRaster(m);
  bind::bindHover(m);
  bind::bindControls(m);

  // Test hooks: the core's own JSON of a figure, and a figure taken through the core and back.
  m.def("_coreJson", [](nb::handle fig) { return figure::toJson(bind::figureFromPython(fig)); }, "fig"_a);
  m.def("_roundTrip", [](nb::handle fig) { return bind::toPlotly(bind::figureFromPython(fig)); }, "fig"_a);
  bind::bindFrameHooks(m);

  nb::list names;
  for (const char* name : {"bars", "configFor", "curves", "distribution", "dots", "figureFor", "finishFigure",
                           "gate", "graph", "intervals", "matrix", "points", "ranked", "rasterTraces", "volcano"})
    names.append(name);
  m.attr("__all__") = names;
}
