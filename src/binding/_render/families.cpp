// The family builders under their names, in matching order. The table is checked against
// the dispatch order when compiling, so a builder cannot be left out, named twice or
// bound under another family's name.
#include <array>

#include "_render/bind.hpp"
#include "_render/families.hpp"
#include "render/entry/dispatch.hpp"

namespace tess::bind {

using namespace nb::literals;
using render::Family;

namespace {

using Builder = nb::object (*)(nb::handle spec);

struct Bound {
  Family family;
  Builder build;
  const char* doc;
};

constexpr std::array<Bound, render::DISPATCH.size()> BUILDERS = {{
    {Family::Points, &drawPoints, "A scatter of cells: a trace per category of each colour key, switched by a dropdown."},
    {Family::Matrix, &drawMatrix, "A heatmap with hover, a missing-value layer and precomputed views."},
    {Family::Dots, &drawDots, "A dot plot: colour for one number, area for a second."},
    {Family::Bars, &drawBars, "Stacked or grouped bars whose percentages follow the legend."},
    {Family::Distribution, &drawDistribution, "Violins, boxes or strips of groups of values."},
    {Family::Graph, &drawGraph, "Nodes and edges with a threshold slider."},
    {Family::Intervals, &drawIntervals, "Estimates with intervals, one row per feature."},
    {Family::Curves, &drawCurves, "Curves with confidence bands, one feature at a time."},
    {Family::Volcano, &drawVolcano, "Effect against significance, with movable cuts."},
    {Family::Gate, &drawGate, "A gate on one marker's distribution, or on a pair."},
    {Family::Ranked, &drawRanked, "A ranked list of features."},
}};

consteval bool inDispatchOrder() {
  for (std::size_t i = 0; i < BUILDERS.size(); ++i)
    if (BUILDERS[i].family != render::DISPATCH[i].family) return false;
  return true;
}
static_assert(inDispatchOrder(), "every family's builder, in dispatch order");

}  // namespace

void bindFamilies(nb::module_& m) {
  for (std::size_t i = 0; i < BUILDERS.size(); ++i)
    m.def(render::DISPATCH[i].builder.data(), BUILDERS[i].build, "spec"_a.none(), BUILDERS[i].doc);
  bindPointsHelpers(m);
  bindDotsHelpers(m);
  bindMatrixHelpers(m);
  bindVolcanoHelpers(m);
  bindGateHelpers(m);
  bindGraphHelpers(m);
}

}  // namespace tess::bind
