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
  out.positions = field(spec, "positions", [](nb::handle positions) {
    return positions.is_none() ? std::nullopt : std::optional(numbers(positions));
  });
  out.tickLabels = field(spec, "tickLabels", [](nb::handle ticks) {
    return ticks.is_none() ? std::vector<std::string>() : texts(ticks);
  });
  out.counts = optionalFrame(spec, "counts");
  out.horizontal = field(spec, "horizontal", truth);
  out.colors = field(spec, "colors", textMap);
  out.stacked = field(spec, "stacked", truth);
  out.method = field(spec, "method", textOf);
  out.barLabel = field(spec, "barLabel", textOf);
  out.valueLabel = field(spec, "valueLabel", [](nb::handle v) { return strictText(v, "valueLabel"); });
  return out;
}

}  // namespace

nb::object drawBars(nb::handle spec) { return toPlotly(render::bars(readBars(spec))); }

}  // namespace tess::bind
