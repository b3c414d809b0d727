// Family builders for the host: spec records read into the core's records, figures handed back.
#include <nanobind/nanobind.h>
#include <nanobind/ndarray.h>
#include <nanobind/stl/pair.h>

#include "_render/bind.hpp"

#include "convert/frame.hpp"
#include "convert/spec.hpp"
#include "convert/value.hpp"
#include "errors.hpp"
#include "render/families/bars.hpp"
#include "render/entry/constants.hpp"
#include "render/families/points.hpp"

namespace tess::bind {

using namespace nb::literals;

namespace {

// A frame the family cannot draw without: None is refused rather than read as empty.
frame::Frame requiredFrame(nb::handle spec, const char* name, const FrameNeeds& needs = {}) {
  nb::object value = attribute(spec, name);
  if (value.is_none()) throw TypeError(std::string(name) + " must be a data frame, not None");
  return frameFromPython(value, needs);
}

std::optional<frame::Frame> optionalFrame(nb::handle value) {
  if (value.is_none()) return std::nullopt;
  return frameFromPython(value);
}

std::map<std::string, std::string> colorMap(nb::handle mapping) {
  std::map<std::string, std::string> out;
  if (mapping.is_none()) return out;
  for (nb::handle pair : mapping.attr("items")()) out[textOf(pair[0])] = textOf(pair[1]);
  return out;
}

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
  out.colors = colorMap(attribute(spec, "colors"));
  out.stacked = truth(attribute(spec, "stacked"));
  out.method = textOf(attribute(spec, "method"));
  out.barLabel = textOf(attribute(spec, "barLabel"));
  out.valueLabel = strictText(attribute(spec, "valueLabel"), "valueLabel");
  return out;
}

std::optional<frame::Name> optionalName(nb::handle value) {
  if (value.is_none()) return std::nullopt;
  return nameFromPython(value);
}

std::vector<frame::Name> names(nb::handle sequence) {
  std::vector<frame::Name> out;
  if (sequence.is_none()) return out;
  for (nb::handle item : sequence)
    if (!item.is_none()) out.push_back(nameFromPython(item));
  return out;
}

// A mapping read entry by entry, keys by their text.
template <class Read>
auto byKeyText(nb::handle mapping, Read read) {
  std::map<std::string, decltype(read(nb::handle()))> out;
  if (mapping.is_none()) return out;
  for (nb::handle pair : mapping.attr("items")()) out.emplace(nameFromPython(pair[0]).text, read(pair[1]));
  return out;
}

render::Scale scaleFrom(nb::handle value) {
  if (value.is_none()) return {};
  nb::tuple fields = nb::tuple(value);
  if (fields.size() != 5)
    throw ValueError("a colour scale is (cmap, vmin, vmax, center, kind), not " + std::to_string(fields.size()) +
                     " values");
  render::Scale scale;
  scale.cmap = textOf(fields[0]);
  scale.vmin = optionalNumber(fields[1]);
  scale.vmax = optionalNumber(fields[2]);
  scale.center = optionalNumber(fields[3]);
  if (!fields[4].is_none()) scale.kind = textOf(fields[4]);
  return scale;
}

render::PointsSpec readPoints(nb::handle spec) {
  render::PointsSpec out;
  out.common = readCommon(spec);
  out.x = nameFromPython(attribute(spec, "x"));
  out.y = nameFromPython(attribute(spec, "y"));
  for (nb::handle key : attribute(spec, "keys")) out.keys.push_back(optionalName(key));
  out.categorical = byKeyText(attribute(spec, "categorical"), [](nb::handle v) { return truth(v); });
  out.colors = byKeyText(attribute(spec, "colors"), [](nb::handle mapping) {
    std::vector<std::pair<std::string, std::string>> pairs;
    if (!mapping.is_none())
      for (nb::handle pair : mapping.attr("items")()) pairs.emplace_back(textOf(pair[0]), textOf(pair[1]));
    return pairs;
  });
  out.scales = byKeyText(attribute(spec, "scales"), scaleFrom);
  out.hover = names(attribute(spec, "hover"));
  out.size = fromPython(attribute(spec, "size"));
  out.alpha = fromPython(attribute(spec, "alpha"));
  out.equalAspect = truth(attribute(spec, "equalAspect"));
  out.invertY = truth(attribute(spec, "invertY"));
  // Only the columns drawn or shown, and cell identities only where tooltips carry them.
  FrameNeeds needs{std::vector<frame::Name>{out.x, out.y}, static_cast<std::size_t>(render::HOVER_IDENTITY_LIMIT)};
  for (const auto& key : out.keys)
    if (key) needs.columns->push_back(*key);
  needs.columns->insert(needs.columns->end(), out.hover.begin(), out.hover.end());
  out.frame = requiredFrame(spec, "frame", needs);
  return out;
}

nb::object positionsArray(const render::Members& positions) {
  auto* held = new std::vector<std::int64_t>(positions.begin(), positions.end());
  nb::capsule owner(held, [](void* p) noexcept { delete static_cast<std::vector<std::int64_t>*>(p); });
  std::size_t shape[1] = {held->size()};
  return nb::ndarray<nb::numpy, std::int64_t>(held->data(), 1, shape, owner).cast();
}

// The spec's own renderRows list, emptied and refilled: the rows behind each trace.
void writeRenderRows(nb::handle spec, const std::vector<render::Members>& members) {
  nb::object rows = attribute(spec, "rows");
  nb::object identifiers = rows.is_none() ? nb::object() : nb::module_::import_("numpy").attr("asarray")(rows);
  nb::object target = attribute(spec, "renderRows");
  target.attr("clear")();
  for (const auto& positions : members) {
    nb::object entry = positionsArray(positions);
    target.attr("append")(identifiers.is_valid() ? identifiers[entry] : entry);
  }
}

nb::object drawPoints(nb::handle spec) {
  render::PointsSpec read = readPoints(spec);
  nb::object rows = attribute(spec, "rows");
  if (!rows.is_none() && nb::len(rows) != read.frame.rows())
    throw ValueError("points: rows holds " + std::to_string(nb::len(rows)) + " identifiers for " +
                     std::to_string(read.frame.rows()) + " cells");
  render::PointsFigure drawn = render::points(read);
  writeRenderRows(spec, drawn.members);
  return toPlotly(drawn.fig);
}

std::pair<double, double> pointArea(nb::handle spec, nb::handle frame, nb::handle categories) {
  render::PointsSpec read;
  read.equalAspect = truth(attribute(spec, "equalAspect"));
  read.x = nameFromPython(attribute(spec, "x"));
  read.y = nameFromPython(attribute(spec, "y"));
  return render::_pointArea(read, frameFromPython(frame), nb::cast<std::int64_t>(nb::int_(categories)));
}

}  // namespace

void bindFamilies(nb::module_& m) {
  m.def("_pointArea", &pointArea, "spec"_a, "frame"_a, "categories"_a,
        "The drawing area (width, height) for a scatter of the frame's cells.");
  m.def("points", &drawPoints, "spec"_a.none(),
        "A scatter of cells: a trace per category of each colour key, switched by a dropdown.");
  m.def("bars", [](nb::handle spec) { return toPlotly(render::bars(readBars(spec))); }, "spec"_a.none(),
        "Stacked or grouped bars whose percentages follow the legend.");
}

}  // namespace tess::bind
