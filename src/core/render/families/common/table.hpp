// Per-cell tables of grid plots, matched to the grid by their row and column labels.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "frame/frame.hpp"

namespace tess::render {

/// `table` with one row per label of `rows` and one column per name of `columns`, matched
/// by label as pandas' reindex matches them: labels the table lacks give missing cells
/// (integers turn float64, as in pandas). A table already in that shape and order is
/// returned as it is, so repeated labels are refused only where matching needs them.
frame::Frame alignedTable(const frame::Frame& table, const frame::Column& rows, std::span<const frame::Name> columns);

/// Positions into `n` rows as Python indexes a sequence, negative ones counting from the
/// end; IndexError naming `what` for one outside.
std::vector<std::size_t> rowsAt(std::span<const std::int64_t> positions, std::size_t n, std::string_view what);

/// The texts of the table's row labels and of its column names, in order.
std::vector<std::string> rowTexts(const frame::Frame& table);
std::vector<std::string> columnTexts(const frame::Frame& table);

/// The frame with its row labels' texts as a text column named `name`, at the end; a column
/// of that name the frame already has is replaced, so a tooltip lists it once.
frame::Frame withIndexColumn(const frame::Frame& frame, const frame::Name& name);

/// Every cell as float64, row by row; TypeError for a column that is not numeric.
std::vector<double> cellValues(const frame::Frame& table);

}  // namespace tess::render
