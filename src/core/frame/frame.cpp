// Frame lookups, row selection and alignment on index labels.
#include "frame/frame.hpp"

#include <unordered_map>

namespace tess::frame {

Frame::Frame() : index_(Column::range(0)) {}

namespace {
Column defaultIndex(const std::vector<Column>& columns) {
  return Column::range(columns.empty() ? 0 : columns.front().size());
}
}  // namespace

Frame::Frame(std::vector<Name> names, std::vector<Column> columns, Column index, std::optional<Name> indexName)
    : names_(std::move(names)), columns_(std::move(columns)), index_(std::move(index)), indexName_(std::move(indexName)) {
  validate();
}

Frame::Frame(std::vector<Name> names, std::vector<Column> columns)
    : names_(std::move(names)), columns_(std::move(columns)), index_(defaultIndex(columns_)) {
  validate();
}

void Frame::validate() const {
  if (names_.size() != columns_.size()) throw ValueError("a frame needs one name per column");
  for (std::size_t i = 0; i < columns_.size(); ++i)
    if (columns_[i].size() != index_.size())
      throw ValueError("column '" + names_[i].text + "' has " + std::to_string(columns_[i].size()) +
                       " rows where the index has " + std::to_string(index_.size()));
}

const Column& Frame::at(std::size_t position) const {
  if (position >= columns_.size())
    throw IndexError("column " + std::to_string(position) + " out of range for " + std::to_string(columns_.size()));
  return columns_[position];
}

std::size_t Frame::position(const Name& name) const {
  std::optional<std::size_t> found;
  for (std::size_t i = 0; i < names_.size(); ++i) {
    if (names_[i] != name) continue;
    if (found) throw ValueError("column name '" + name.text + "' is not unique");
    found = i;
  }
  if (!found) throw KeyError(name.text);
  return *found;
}

bool Frame::contains(const Name& name) const {
  for (const Name& n : names_)
    if (n == name) return true;
  return false;
}

Frame Frame::take(std::span<const std::size_t> positions) const {
  std::vector<Column> columns;
  columns.reserve(columns_.size());
  Column index = index_.take(positions);  // checks the bounds once, before any column is copied
  for (const Column& c : columns_) columns.push_back(c.take(positions));
  return Frame(names_, std::move(columns), std::move(index), indexName_);
}

Frame Frame::select(std::span<const Name> names) const {
  std::vector<Name> chosen;
  std::vector<Column> columns;
  for (const Name& name : names) {
    columns.push_back(columns_[position(name)]);
    chosen.push_back(name);
  }
  return Frame(std::move(chosen), std::move(columns), index_, indexName_);
}

Frame Frame::alignTo(const Column& labels) const {
  std::unordered_map<std::string, std::int64_t> rowOf;
  rowOf.reserve(index_.size());
  for (std::size_t i = 0; i < index_.size(); ++i)
    if (!rowOf.emplace(index_.key(i), static_cast<std::int64_t>(i)).second)
      throw ValueError("cannot align on an index with duplicate labels ('" + index_.text(i) + "')");
  std::vector<std::int64_t> positions(labels.size());
  for (std::size_t i = 0; i < labels.size(); ++i) {
    auto found = rowOf.find(labels.key(i));
    positions[i] = found == rowOf.end() ? -1 : found->second;
  }
  std::vector<Column> columns;
  columns.reserve(columns_.size());
  for (const Column& c : columns_) columns.push_back(c.takeOrAbsent(positions));
  return Frame(names_, std::move(columns), labels, indexName_);
}

}  // namespace tess::frame
