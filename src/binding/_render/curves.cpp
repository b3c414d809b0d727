// curves: the Curves record read into the core's.
#include "_render/families.hpp"

#include "convert/spec.hpp"
#include "convert/value.hpp"
#include "errors.hpp"
#include "render/entry/checks.hpp"
#include "render/families/curves.hpp"

namespace tess::bind {

namespace {

// One feature's groups; a feature given as None has no groups to read, and says so.
// Each table fails as curves[feature][group].
render::CurveTables groupTables(nb::handle tables, const frame::Name& feature) {
  if (tables.is_none()) throw TypeError("a feature's curves are a mapping of group -> table, not None");
  return tablesIn(tables, render::subscripted("curves", feature.text));
}

render::CurvesSpec readCurves(nb::handle spec) {
  render::CurvesSpec out;
  out.common = readCommon(spec);
  out.curves = field(spec, "curves", [](nb::handle curves) {
    std::vector<std::pair<frame::Name, render::CurveTables>> read;
    if (curves.is_none()) return read;
    for (nb::handle pair : curves.attr("items")()) {
      frame::Name feature = nameFromPython(pair[0]);
      read.emplace_back(feature, groupTables(pair[1], feature));
    }
    return read;
  });
  out.colors = field(spec, "colors", textMap);
  out.xlabel = field(spec, "xlabel", textOf);
  out.ylabel = field(spec, "ylabel", textOf);
  out.step = field(spec, "step", truth);
  out.annotations = field(spec, "annotations", [](nb::handle notes) { return namedEntries(notes, optionalText); });
  return out;
}

}  // namespace

nb::object drawCurves(nb::handle spec) { return toPlotly(render::curves(readCurves(spec))); }

}  // namespace tess::bind
