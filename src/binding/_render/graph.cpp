// graph: the Graph record read into the core's, and the node ranges for the tests.
#include <nanobind/stl/string.h>

#include <map>

#include "_render/families.hpp"

#include "convert/spec.hpp"
#include "convert/value.hpp"
#include "errors.hpp"
#include "render/entry/checks.hpp"
#include "render/families/graph.hpp"

namespace tess::bind {

using namespace nb::literals;

namespace {

render::Position positionFrom(nb::handle value, const std::string& what) {
  std::vector<double> pair = named(what.c_str(), value, numbers);
  if (pair.size() != 2)
    throw ValueError(what + ": a position is an (x, y) pair, not " + std::to_string(pair.size()) + " values");
  return {pair[0], pair[1]};
}

std::map<std::string, render::Position> positionsFrom(nb::handle positions) {
  std::map<std::string, render::Position> out;
  if (positions.is_none()) return out;
  for (nb::handle pair : positions.attr("items")()) {
    std::string name = textOf(pair[0]);
    out.emplace(name, positionFrom(pair[1], render::subscripted("positions", name)));
  }
  return out;
}

std::vector<bool> maskFrom(nb::handle mask) {
  std::vector<bool> out;
  for (nb::handle value : mask) out.push_back(truth(value));
  return out;
}

// A mapping, or a sequence of (name, mask) pairs, in order.
std::vector<std::pair<std::string, std::vector<bool>>> statesFrom(nb::handle states) {
  std::vector<std::pair<std::string, std::vector<bool>>> out;
  if (states.is_none()) return out;
  nb::object pairs = nb::hasattr(states, "items") ? states.attr("items")() : nb::borrow(states);
  for (nb::handle pair : pairs) {
    nb::tuple entry = nb::tuple(pair);
    if (entry.size() != 2) throw ValueError("states: a state is a (name, mask) pair");
    std::string name = textOf(entry[0]);
    out.emplace_back(name, named(render::subscripted("states", name).c_str(), entry[1], maskFrom));
  }
  return out;
}

render::GraphSpec readGraph(nb::handle spec) {
  render::GraphSpec out;
  out.common = readCommon(spec);
  out.edges = optionalFrame(spec, "edges").value_or(frame::Frame());
  out.states = field(spec, "states", statesFrom);
  out.directed = field(spec, "directed", truth);
  out.positions = field(spec, "positions", positionsFrom);
  out.names = field(spec, "names", texts);
  out.nodeSizes = field(spec, "nodeSizes", [](nb::handle m) {
    return byKeyText(m, [](nb::handle v) { return nb::cast<double>(nb::float_(v)); });
  });
  out.nodeColors = field(spec, "nodeColors", textMap);
  out.edgeLabel = field(spec, "edgeLabel", textOf);
  return out;
}

nb::object nodeRanges(nb::handle positions, double pad) {
  std::vector<render::Position> read;
  for (nb::handle at : positions) read.push_back(positionFrom(at, "positions"));
  auto ranges = render::_nodeRanges(read, pad);
  if (!ranges) return nb::make_tuple(nb::none(), nb::none());
  auto list = [](const std::array<double, 2>& r) { return toPython(figure::Array{r[0], r[1]}); };
  return nb::make_tuple(list(ranges->first), list(ranges->second));
}

}  // namespace

nb::object drawGraph(nb::handle spec) { return toPlotly(render::graph(readGraph(spec))); }

void bindGraphHelpers(nb::module_& m) {
  m.def("_nodeRanges", &nodeRanges, "positions"_a, "pad"_a = 0.16,
        "Axis ranges [low, high] with room around the nodes for their names; (None, None) without nodes.");
}

}  // namespace tess::bind
