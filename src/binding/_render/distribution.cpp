// distribution: the Distribution record read into the core's. Groups and point labels are
// looked up as Python looks them up (by key equality), so an order of 1, 2 finds the
// groups keyed 1.0 and 2.0.
#include "_render/families.hpp"

#include "convert/spec.hpp"
#include "convert/value.hpp"
#include "render/families/distribution.hpp"

namespace tess::bind {

namespace {

// The mapping's value for `key`, or nothing (a mapping without the key, or none at all).
nb::object entry(nb::handle mapping, nb::handle key) {
  if (mapping.is_none() || !truth(mapping.attr("__contains__")(key))) return nb::object();
  return mapping.attr("__getitem__")(key);
}

render::DistributionGroup readGroup(nb::handle panelKey, nb::handle parts, nb::handle group, nb::handle points) {
  render::DistributionGroup out;
  out.name = textOf(group);
  nb::object values = named("parts", parts, [&](nb::handle mapping) { return entry(mapping, group); });
  // A group the panel lacks has no points, so a group's labels meant for the panels that
  // hold it are not held against it.
  if (!values.is_valid()) return out;
  out.values = named("parts", values, numbers);
  out.labels = named("points", points, [&](nb::handle mapping) -> std::optional<std::vector<std::string>> {
    nb::object labels = entry(mapping, nb::make_tuple(panelKey, group));
    if (!labels.is_valid()) labels = entry(mapping, group);
    if (!labels.is_valid() || labels.is_none()) return std::nullopt;
    return texts(labels);
  });
  return out;
}

// A Python built-in applied to a value: dict(panels), list(order).
nb::object builtin(const char* name, nb::handle value) {
  return nb::module_::import_("builtins").attr(name)(value);
}

// The panels in mapping order, each with the groups it draws: the group order when one is
// given, else the panel's own groups.
std::vector<render::DistributionPanel> readPanels(nb::handle spec, nb::handle order) {
  nb::object panels = field(spec, "panels", [](nb::handle value) { return builtin("dict", value); });
  if (nb::len(panels) == 0) {
    nb::dict lone;
    lone[""] = attribute(spec, "parts");
    panels = lone;
  }
  nb::object points = attribute(spec, "points");
  std::vector<render::DistributionPanel> out;
  for (nb::handle pair : panels.attr("items")()) {
    nb::handle key = pair[0], parts = pair[1];
    render::DistributionPanel panel{textOf(key), {}};
    nb::object groups = order.is_none() ? named("parts", parts, [](nb::handle p) { return builtin("list", p.attr("keys")()); })
                                        : nb::borrow<nb::object>(order);
    for (nb::handle group : groups) panel.groups.push_back(readGroup(key, parts, group, points));
    out.push_back(std::move(panel));
  }
  return out;
}

render::DistributionSpec readDistribution(nb::handle spec) {
  render::DistributionSpec out;
  out.common = readCommon(spec);
  nb::object order = field(spec, "order", [](nb::handle value) {
    return truth(value) ? builtin("list", value) : nb::none();
  });
  out.ordered = order.is_none() ? 0 : nb::len(order);
  out.panels = readPanels(spec, order);
  out.colors = field(spec, "colors", textMap);
  out.style = field(spec, "style", textOf);
  out.thresholds = field(spec, "thresholds", [](nb::handle mapping) {
    std::vector<std::pair<std::string, double>> thresholds;
    for (nb::handle pair : mapping.attr("items")())
      thresholds.emplace_back(textOf(pair[0]), nb::cast<double>(builtin("float", pair[1])));
    return thresholds;
  });
  out.valueLabel = field(spec, "valueLabel", textOf);
  out.groupLabel = field(spec, "groupLabel", textOf);
  out.log = field(spec, "log", truth);
  return out;
}

}  // namespace

nb::object drawDistribution(nb::handle spec) { return toPlotly(render::distribution(readDistribution(spec))); }

}  // namespace tess::bind
