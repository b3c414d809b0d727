// Rows of a table split into the traces that draw them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "errors.hpp"

namespace tess::render {

/// Positions of rows in a table, in table order.
using Members = std::vector<std::size_t>;

/// The rows of each of `count` groups in table order, in one counting pass; a row whose
/// group is negative belongs to none. ValueError for a group past `count`.
template <class GroupOf>
std::vector<Members> grouped(std::size_t rows, std::size_t count, GroupOf groupOf);

/// The rows of each group split further by piece: group g * pieces + p holds the rows of
/// group g whose piece code is p. Without piece codes (empty), the groups themselves.
template <class GroupOf>
std::vector<Members> byPiece(std::span<const std::uint32_t> pieceCodes, std::size_t pieces, std::size_t rows,
                             std::size_t groups, GroupOf groupOf);

/// Group g's pieces that hold rows, in piece order, moved out of `split`; one empty part
/// when none does, so that every group keeps a trace.
std::vector<Members> partsOf(std::vector<Members>& split, std::size_t g, std::size_t pieces);

// ---- definitions ----


template <class GroupOf>
std::vector<Members> grouped(std::size_t rows, std::size_t count, GroupOf groupOf) {
  std::vector<std::size_t> sizes(count);
  for (std::size_t row = 0; row < rows; ++row) {
    std::int64_t g = groupOf(row);
    if (g < 0) continue;
    if (static_cast<std::size_t>(g) >= count)
      throw ValueError("group " + std::to_string(g) + " of " + std::to_string(count));
    ++sizes[static_cast<std::size_t>(g)];
  }
  std::vector<Members> out(count);
  for (std::size_t g = 0; g < count; ++g) out[g].reserve(sizes[g]);
  for (std::size_t row = 0; row < rows; ++row)
    if (std::int64_t g = groupOf(row); g >= 0) out[static_cast<std::size_t>(g)].push_back(row);
  return out;
}

template <class GroupOf>
std::vector<Members> byPiece(std::span<const std::uint32_t> pieceCodes, std::size_t pieces, std::size_t rows,
                             std::size_t groups, GroupOf groupOf) {
  if (pieceCodes.empty()) return grouped(rows, groups, groupOf);
  auto count = static_cast<std::int64_t>(pieces);
  return grouped(rows, groups * pieces, [&](std::size_t row) {
    std::int64_t g = groupOf(row);
    return g < 0 ? g : g * count + pieceCodes[row];
  });
}

}  // namespace tess::render
