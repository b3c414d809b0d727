// A table as plots read it: named typed columns over a row index.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "frame/column.hpp"

namespace tess::frame {

/// What a column or index label was on the host: a column named 1 is not one named "1".
enum class LabelKind : std::uint8_t { Text, Int, Float, Bool, Other };

/// A label by its text form (str() of it) and its kind.
struct Name {
  std::string text;
  LabelKind kind = LabelKind::Text;

  Name() = default;
  Name(std::string t, LabelKind k = LabelKind::Text) : text(std::move(t)), kind(k) {}
  Name(const char* t) : text(t) {}
  bool operator==(const Name&) const = default;
};

/// Where a frame was read from, so that its failures say what the caller wrote.
struct Origin {
  std::string attribute;  ///< the spec attribute holding the frame
  /// Attributes that name some of its columns; the first naming a column speaks for it.
  std::vector<std::pair<Name, std::string>> namedBy;
};

/// Columns of equal length over a row index. Column names may repeat, as in pandas;
/// looking up a repeated name fails (ValueError) rather than guess which is meant.
class Frame {
 public:
  /// No columns and no rows.
  Frame();
  /// ValueError unless there is one name per column and every column has the index's length.
  Frame(std::vector<Name> names, std::vector<Column> columns, Column index, std::optional<Name> indexName = {});
  /// Columns over a default index 0 ... n-1.
  Frame(std::vector<Name> names, std::vector<Column> columns);

  std::size_t rows() const { return index_.size(); }
  std::size_t width() const { return columns_.size(); }
  const std::vector<Name>& names() const { return names_; }
  const Column& index() const { return index_; }
  const std::optional<Name>& indexName() const { return indexName_; }

  /// The column at a position; IndexError past the end.
  const Column& at(std::size_t position) const;
  /// The position of a column: KeyError (with the name) when absent, ValueError when repeated.
  std::size_t position(const Name& name) const;
  bool contains(const Name& name) const;
  const Column& column(const Name& name) const { return columns_[position(name)]; }
  /// The named column, or the one at a position, when it holds numbers; TypeError otherwise.
  const Column& numeric(const Name& name) const { return numericAt(position(name)); }
  const Column& numericAt(std::size_t position) const;

  bool isNumeric(const Name& name) const { return column(name).isNumeric(); }
  std::vector<double> asDoubles(const Name& name) const { return numeric(name).asDoubles(); }
  std::string text(const Name& name, std::size_t row) const { return column(name).text(row); }
  /// The distinct values of a column in order of appearance, missing counted once.
  Column distinct(const Name& name) const { return column(name).distinct(); }

  /// The rows at `positions`, index included; IndexError for one past the end.
  Frame take(std::span<const std::size_t> positions) const;
  /// The named columns in the order given.
  Frame select(std::span<const Name> names) const;
  /// One row per label, matched against the index as pandas' reindex matches; labels
  /// the index lacks give missing cells (integer columns turn float64, bool columns
  /// object, as in pandas). ValueError when the index repeats a label. The result's
  /// index is `labels`, under this index's name.
  Frame alignTo(const Column& labels) const;

  /// Failures by column then lead with the attribute naming the column (the frame's own
  /// where none does) and the column: "x: column 'cell type' holds text, not numbers".
  void setOrigin(Origin origin) { origin_ = std::make_shared<const Origin>(std::move(origin)); }
  /// Fails as `other` does: for frames made from another's columns.
  void setOriginOf(const Frame& other) { origin_ = other.origin_; }

 private:
  void validate() const;
  /// "<attribute>: " of the attribute answering for a column (for the frame without one),
  /// empty without an origin.
  std::string owner(const std::optional<Name>& name = std::nullopt) const;
  /// owner(name) + "column '<name>'".
  std::string lead(const Name& name) const;

  std::vector<Name> names_;
  std::vector<Column> columns_;
  Column index_;
  std::optional<Name> indexName_;
  std::shared_ptr<const Origin> origin_;
};

}  // namespace tess::frame
