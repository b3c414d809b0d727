// intervals: the Intervals record read into the core's.
#include "_render/families.hpp"

#include "convert/spec.hpp"
#include "convert/value.hpp"
#include "render/families/intervals.hpp"

namespace tess::bind {

namespace {

render::IntervalsSpec readIntervals(nb::handle spec) {
  render::IntervalsSpec out;
  out.common = readCommon(spec);
  out.colorBy = field(spec, "colorBy", optionalName);
  ColumnAttributes namedBy;
  if (out.colorBy) namedBy.emplace_back(*out.colorBy, "colorBy");
  out.frame = requiredFrame(spec, "frame", {}, std::move(namedBy));
  out.orders = field(spec, "orders", [](nb::handle m) {
    std::vector<std::pair<std::string, std::vector<std::int64_t>>> orders;
    for (auto& [name, positions] : namedEntries(m, indexes)) orders.emplace_back(name.text, std::move(positions));
    return orders;
  });
  out.colors = field(spec, "colors", textMap);
  out.reference = field(spec, "reference", optionalNumber);
  out.valueLabel = field(spec, "valueLabel", textOf);
  out.logScale = field(spec, "logScale", truth);
  return out;
}

}  // namespace

nb::object drawIntervals(nb::handle spec) { return toPlotly(render::intervals(readIntervals(spec))); }

}  // namespace tess::bind
