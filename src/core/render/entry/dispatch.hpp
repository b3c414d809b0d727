// Which family draws a spec, and the plotly config that travels with its figure.
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "figure/value.hpp"

namespace tess::render {

/// The plot families, in the order specs are matched against them.
enum class Family { Points, Matrix, Dots, Bars, Distribution, Graph, Intervals, Curves, Volcano, Gate, Ranked };

struct FamilyEntry {
  Family family;
  std::string_view specClass;  ///< the spec record's class name
  std::string_view builder;    ///< the family builder's name
};

/// Matching order: a spec of several families is drawn by the first that matches.
inline constexpr std::array<FamilyEntry, 11> DISPATCH = {{
    {Family::Points, "Points", "points"},
    {Family::Matrix, "Matrix", "matrix"},
    {Family::Dots, "Dots", "dots"},
    {Family::Bars, "Bars", "bars"},
    {Family::Distribution, "Distribution", "distribution"},
    {Family::Graph, "Graph", "graph"},
    {Family::Intervals, "Intervals", "intervals"},
    {Family::Curves, "Curves", "curves"},
    {Family::Volcano, "Volcano", "volcano"},
    {Family::Gate, "Gate", "gate"},
    {Family::Ranked, "Ranked", "ranked"},
}};

// The table is indexed by family: entry i is the family whose enum value is i.
consteval bool dispatchIndexedByFamily() {
  for (std::size_t i = 0; i < DISPATCH.size(); ++i)
    if (static_cast<std::size_t>(DISPATCH[i].family) != i) return false;
  return static_cast<std::size_t>(Family::Ranked) + 1 == DISPATCH.size();
}
static_assert(dispatchIndexedByFamily(), "DISPATCH lists every family once, in enum order");

/// The message of the TypeError for an object that is no spec.
std::string notASpecMessage(std::string_view typeName);

/// The config for a spec that is an instance of each family in `families`.
figure::Object configFor(std::span<const Family> families);

}  // namespace tess::render
