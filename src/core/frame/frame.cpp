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

namespace {
// A text label quoted, any other (a column named 1) as it is.
std::string shown(const Name& name) { return name.kind == LabelKind::Text ? "'" + name.text + "'" : name.text; }

std::string_view contents(Kind kind) {
  switch (kind) {
    case Kind::Text: return "text";
    case Kind::Categorical: return "categories";
    default: return "objects";
  }
}
}  // namespace

std::string Frame::owner(const std::optional<Name>& name) const {
  if (!origin_) return "";
  for (const auto& [named, attribute] : origin_->namedBy)
    if (named == name) return attribute + ": ";
  return origin_->attribute + ": ";
}

std::string Frame::lead(const Name& name) const { return owner(name) + "column " + shown(name); }

const Column& Frame::numericAt(std::size_t position) const {
  const Column& found = at(position);
  if (!found.isNumeric())
    throw TypeError(lead(names_[position]) + " holds " + std::string(contents(found.kind())) + ", not numbers");
  return found;
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
    if (found) throw ValueError(lead(name) + " is not unique");
    found = i;
  }
  if (!found) throw KeyError(owner(name) + "no column " + shown(name));
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
  Frame out(names_, std::move(columns), std::move(index), indexName_);
  out.origin_ = origin_;
  return out;
}

Frame Frame::select(std::span<const Name> names) const {
  std::vector<Name> chosen;
  std::vector<Column> columns;
  for (const Name& name : names) {
    columns.push_back(columns_[position(name)]);
    chosen.push_back(name);
  }
  Frame out(std::move(chosen), std::move(columns), index_, indexName_);
  out.origin_ = origin_;
  return out;
}

Frame Frame::alignTo(const Column& labels) const {
  std::unordered_map<std::string, std::int64_t> rowOf;
  rowOf.reserve(index_.size());
  for (std::size_t i = 0; i < index_.size(); ++i)
    if (!rowOf.emplace(index_.key(i), static_cast<std::int64_t>(i)).second)
      throw ValueError(owner() + "cannot align on an index with duplicate labels ('" + index_.text(i) + "')");
  std::vector<std::int64_t> positions(labels.size());
  for (std::size_t i = 0; i < labels.size(); ++i) {
    auto found = rowOf.find(labels.key(i));
    positions[i] = found == rowOf.end() ? -1 : found->second;
  }
  std::vector<Column> columns;
  columns.reserve(columns_.size());
  for (const Column& c : columns_) columns.push_back(c.takeOrAbsent(positions));
  Frame out(names_, std::move(columns), labels, indexName_);
  out.origin_ = origin_;
  return out;
}

}  // namespace tess::frame
