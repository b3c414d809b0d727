// ranked: the Ranked record read into the core's.
#include "_render/families.hpp"

#include "convert/spec.hpp"
#include "convert/value.hpp"
#include "render/families/ranked.hpp"

namespace tess::bind {

namespace {

render::RankedSpec readRanked(nb::handle spec) {
  render::RankedSpec out;
  out.common = readCommon(spec);
  out.colorBy = field(spec, "colorBy", [](nb::handle v) { return truth(v) ? optionalName(v) : std::nullopt; });
  ColumnAttributes namedBy;
  if (out.colorBy) namedBy.emplace_back(*out.colorBy, "colorBy");
  for (auto& [name, table] : namedTables(spec, "groups", namedBy)) out.groups.emplace_back(name.text, std::move(table));
  // Without groups the spec's own table is the one unnamed group.
  if (out.groups.empty()) out.groups.emplace_back("", frameOf(spec, "frame", namedBy));
  out.colors = field(spec, "colors", textMap);
  out.horizontal = field(spec, "horizontal", truth);
  out.reference = field(spec, "reference", optionalNumber);
  out.valueLabel = field(spec, "valueLabel", textOf);
  return out;
}

}  // namespace

nb::object drawRanked(nb::handle spec) { return toPlotly(render::ranked(readRanked(spec))); }

}  // namespace tess::bind
