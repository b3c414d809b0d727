#include "render/families/common/table.hpp"

#include <cmath>
#include <limits>

namespace tess::render {

namespace {

bool sameLabels(const frame::Column& a, const frame::Column& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a.key(i) != b.key(i)) return false;
  return true;
}

}  // namespace

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
  return frame::Frame(std::move(names), std::move(out), rows, table.indexName());
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
  for (std::size_t j = 0; j < m; ++j) {
    std::vector<double> column = table.at(j).asDoubles();
    for (std::size_t i = 0; i < n; ++i) out[i * m + j] = column[i];
  }
  return out;
}

}  // namespace tess::render
