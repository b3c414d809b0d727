// points: the Points record read into the core's, and the rows of each trace written back.
#include <nanobind/ndarray.h>
#include <nanobind/stl/pair.h>

#include "_render/families.hpp"

#include "convert/spec.hpp"
#include "convert/value.hpp"
#include "errors.hpp"
#include "render/entry/constants.hpp"
#include "render/families/points.hpp"

namespace tess::bind {

using namespace nb::literals;

namespace {

render::ColorScale scaleFrom(nb::handle value) {
  if (value.is_none()) return {};
  nb::tuple fields = nb::tuple(value);
  if (fields.size() != 5)
    throw ValueError("a colour scale is (cmap, vmin, vmax, center, kind), not " + std::to_string(fields.size()) +
                     " values");
  render::ColorScale scale;
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
  out.x = field(spec, "x", nameFromPython);
  out.y = field(spec, "y", nameFromPython);
  out.keys = field(spec, "keys", [](nb::handle keys) {
    std::vector<std::optional<frame::Name>> read;
    for (nb::handle key : keys) read.push_back(optionalName(key));
    return read;
  });
  out.categorical = field(spec, "categorical", [](nb::handle m) { return byKeyText(m, truth); });
  out.colors = field(spec, "colors", [](nb::handle m) { return byKeyText(m, textPairs); });
  out.scales = field(spec, "scales", [](nb::handle m) { return byKeyText(m, scaleFrom); });
  out.hover = field(spec, "hover", names);
  out.size = field(spec, "size", fromPython);
  out.alpha = field(spec, "alpha", fromPython);
  out.equalAspect = field(spec, "equalAspect", truth);
  out.invertY = field(spec, "invertY", truth);
  out.identifiers = field(spec, "rows", [](nb::handle rows) {
    return rows.is_none() ? std::nullopt : std::optional<std::size_t>(nb::len(rows));
  });
  // Only the columns drawn or shown, and cell identities only where tooltips carry them.
  FrameNeeds needs{std::vector<frame::Name>{out.x, out.y}, static_cast<std::size_t>(render::HOVER_IDENTITY_LIMIT)};
  for (const auto& key : out.keys)
    if (key) needs.columns->push_back(*key);
  needs.columns->insert(needs.columns->end(), out.hover.begin(), out.hover.end());
  ColumnAttributes namedBy{{out.x, "x"}, {out.y, "y"}};
  for (const auto& key : out.keys)
    if (key) namedBy.emplace_back(*key, "keys");
  for (const frame::Name& name : out.hover) namedBy.emplace_back(name, "hover");
  out.frame = requiredFrame(spec, "frame", needs, std::move(namedBy));
  return out;
}

nb::object positionsArray(const render::Members& positions) {
  auto* held = new std::vector<std::int64_t>(positions.begin(), positions.end());
  nb::capsule owner(held, [](void* p) noexcept { delete static_cast<std::vector<std::int64_t>*>(p); });
  std::size_t shape[1] = {held->size()};
  return nb::ndarray<nb::numpy, std::int64_t>(held->data(), 1, shape, owner).cast();
}

// The spec's own renderRows list, emptied and refilled: each trace's rows as the host's
// identifiers, or as frame positions without them.
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

std::pair<double, double> pointArea(nb::handle spec, nb::handle frame, nb::handle categories) {
  render::PointsSpec read;
  read.equalAspect = truth(attribute(spec, "equalAspect"));
  read.x = nameFromPython(attribute(spec, "x"));
  read.y = nameFromPython(attribute(spec, "y"));
  render::PlotArea area =
      render::_pointArea(read, frameFromPython(frame), nb::cast<std::int64_t>(nb::int_(categories)));
  return {area.width, area.height};
}

}  // namespace

nb::object drawPoints(nb::handle spec) {
  render::PointsFigure drawn = render::points(readPoints(spec));
  named("renderRows", spec, [&](nb::handle record) { writeRenderRows(record, drawn.members); });
  return toPlotly(drawn.fig);
}

void bindPointsHelpers(nb::module_& m) {
  m.def("_pointArea", &pointArea, "spec"_a, "frame"_a, "categories"_a,
        "The drawing area (width, height) for a scatter of the frame's cells.");
}

}  // namespace tess::bind
