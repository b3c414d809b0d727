#include "render/families/common/table.hpp"

#include <cmath>
#include <algorithm>
#include <limits>
#include <type_traits>

#include "errors.hpp"

namespace tess::render {

namespace {

bool sameLabels(const frame::Column& a, const frame::Column& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a.key(i) != b.key(i)) return false;
  return true;
}

}  // namespace

std::vector<std::size_t> rowsAt(std::span<const std::int64_t> positions, std::size_t n, std::string_view what) {
  auto size = static_cast<std::int64_t>(n);
  std::vector<std::size_t> out;
  out.reserve(positions.size());
  for (std::int64_t p : positions) {
    std::int64_t at = p < 0 ? p + size : p;
    if (at < 0 || at >= size)
      throw IndexError(std::string(what) + " position " + std::to_string(p) + " out of range for " +
                       std::to_string(n));
    out.push_back(static_cast<std::size_t>(at));
  }
  return out;
}

frame::Frame alignedTable(const frame::Frame& table, const frame::Column& rows, std::span<const frame::Name> columns) {
  bool sameColumns = table.names().size() == columns.size() &&
                     std::equal(columns.begin(), columns.end(), table.names().begin());
  if (sameColumns && sameLabels(table.index(), rows)) return table;
  frame::Frame byRow = sameLabels(table.index(), rows) ? table : table.alignTo(rows);
  std::vector<frame::Name> names(columns.begin(), columns.end());
  std::vector<frame::Column> out;
  for (const frame::Name& name : columns) {
    if (byRow.contains(name)) out.push_back(byRow.column(name));
    else out.push_back(frame::Column::numbers(
             frame::Buffer::of(std::vector<double>(rows.size(), std::numeric_limits<double>::quiet_NaN()))));
  }
  frame::Frame aligned(std::move(names), std::move(out), rows, table.indexName());
  aligned.setOriginOf(table);
  return aligned;
}

std::vector<std::string> rowTexts(const frame::Frame& table) { return table.index().texts(); }

std::vector<std::string> columnTexts(const frame::Frame& table) {
  std::vector<std::string> out;
  for (const frame::Name& name : table.names()) out.push_back(name.text);
  return out;
}

std::vector<double> cellValues(const frame::Frame& table) {
  std::size_t n = table.rows(), m = table.width();
  std::vector<double> out(n * m);
  // Columns are read in bands of rows, so that the rows written stay in cache.
  constexpr std::size_t kBand = 64;
  std::vector<std::vector<double>> converted(m);
  for (std::size_t j = 0; j < m; ++j) {
    const frame::Column& column = table.numericAt(j);
    bool plain = column.kind() == frame::Kind::Float || column.kind() == frame::Kind::Int ||
                 column.kind() == frame::Kind::Bool;
    // Masked columns and float16 go through their own conversion first.
    if (!plain || column.values().type() == frame::Scalar::F16) converted[j] = column.asDoubles();
  }
  for (std::size_t start = 0; start < n; start += kBand) {
    std::size_t end = std::min(n, start + kBand);
    for (std::size_t j = 0; j < m; ++j) {
      if (!converted[j].empty()) {
        for (std::size_t i = start; i < end; ++i) out[i * m + j] = converted[j][i];
        continue;
      }
      frame::visit(table.at(j).values(), [&](auto values) {
        using T = typename decltype(values)::value_type;
        if constexpr (std::is_arithmetic_v<T>)
          for (std::size_t i = start; i < end; ++i) out[i * m + j] = static_cast<double>(values[i]);
      });
    }
  }
  return out;
}

frame::Frame withIndexColumn(const frame::Frame& frame, const frame::Name& name) {
  std::vector<frame::Name> names;
  std::vector<frame::Column> columns;
  for (std::size_t i = 0; i < frame.width(); ++i) {
    if (frame.names()[i] == name) continue;
    names.push_back(frame.names()[i]);
    columns.push_back(frame.at(i));
  }
  std::vector<std::optional<std::string>> texts;
  for (const std::string& text : frame.index().texts()) texts.emplace_back(text);
  names.push_back(name);
  columns.push_back(frame::Column::strings(texts));
  return frame::Frame(std::move(names), std::move(columns), frame.index(), frame.indexName());
}

}  // namespace tess::render
