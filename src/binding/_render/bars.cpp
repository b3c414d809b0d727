// bars: the Bars record read into the core's.
#include "_render/families.hpp"

#include "convert/spec.hpp"
#include "convert/value.hpp"
#include "render/families/bars.hpp"

namespace tess::bind {

namespace {

render::BarsSpec readBars(nb::handle spec) {
  render::BarsSpec out;
  out.common = readCommon(spec);
  out.pivot = requiredFrame(spec, "pivot");
  nb::object positions = attribute(spec, "positions");
  if (!positions.is_none()) out.positions = numbers(positions);
  nb::object ticks = attribute(spec, "tickLabels");
  if (!ticks.is_none()) out.tickLabels = texts(ticks);
  out.counts = optionalFrame(attribute(spec, "counts"));
  out.horizontal = truth(attribute(spec, "horizontal"));
  out.colors = textMap(attribute(spec, "colors"));
  out.stacked = truth(attribute(spec, "stacked"));
  out.method = textOf(attribute(spec, "method"));
  out.barLabel = textOf(attribute(spec, "barLabel"));
  out.valueLabel = strictText(attribute(spec, "valueLabel"), "valueLabel");
  return out;
}

}  // namespace

nb::object drawBars(nb::handle spec) { return toPlotly(render::bars(readBars(spec))); }

}  // namespace tess::bind
