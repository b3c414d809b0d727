// One typed column of a frame, with the pandas semantics plots depend on:
// text forms, missing values, distinct values and reindexing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "frame/buffer.hpp"

namespace tess::frame {

enum class Kind : std::uint8_t {
  Bool,           // numpy bool
  Int,            // numpy signed or unsigned integers, 8 to 64 bits
  Float,          // numpy float16/32/64; NaN is missing
  NullableInt,    // pandas Int8 ... UInt64: values plus a missing mask
  NullableBool,   // pandas boolean
  NullableFloat,  // pandas Float32 / Float64
  Text,           // strings, some of them missing
  Categorical,    // codes into a column of categories; code -1 is missing
  Object,         // anything else, kept as the text pandas prints for each cell
};

/// "bool", "int", "float", "nullable int", ..., "text", "categorical", "object".
std::string_view kindName(Kind kind);

/// What an object cell held, so labels keep their identity across columns:
/// "1" is not 1, while 1, 1.0 and True == 1 are the same label, as in Python.
enum class Tag : std::uint8_t { Other, Text, Int, Float, Bool, Missing };

/// A column's distinct values by first row, and each row's code into them.
struct Factors {
  std::vector<std::size_t> firstRows;
  std::vector<std::uint32_t> codes;
};

class Column {
 public:
  /// An empty float64 column.
  Column();

  /// Bool, Int or Float by the buffer's element type.
  static Column numbers(Buffer values);
  /// A masked column (pandas "Int64", "boolean", "Float64" ...); `missing` is a
  /// bool buffer, true where the cell is missing.
  static Column nullable(Buffer values, Buffer missing);
  /// Strings with their text forms; `missing` (bool, or empty for none) marks cells
  /// that are None/NaN/NA, whose text is stored like any other. `absentText` is what
  /// a cell made up by alignment reads ("nan", or "<NA>" for pandas' "string").
  static Column text(Strings values, Buffer missing, std::string absentText = "nan");
  /// Strings, std::nullopt being missing and reading `missingText`.
  static Column strings(const std::vector<std::optional<std::string>>& values, std::string missingText = "nan");
  /// Codes (an integer buffer) into `categories`; -1 is missing.
  static Column categorical(Buffer codes, Column categories);
  /// Other objects by their text forms, with what each cell held.
  static Column objects(Strings texts, Buffer missing, std::vector<Tag> tags, std::string absentText = "nan");
  /// int64 0 ... n-1, the labels of a default index.
  static Column range(std::size_t n);

  Kind kind() const { return kind_; }
  std::size_t size() const { return size_; }
  /// pandas' is_numeric_dtype without complex: bool, integer, float and their nullable kinds.
  bool isNumeric() const;
  bool isMissing(std::size_t row) const;
  /// The mask of a nullable or text column, true where a cell is missing; empty when the
  /// column has none (NaN and code -1 mark missing cells of floats and categoricals).
  std::span<const bool> missingMask() const;
  /// The host's name for the column's type ("int64", "Float64", "category", "str" ...).
  std::string typeName() const;
  /// Records the host's type name (for columns whose kind does not say it, like datetimes).
  void setTypeName(std::string name) { typeName_ = std::move(name); }

  /// str() of the cell as pandas hands it out; IndexError past the end.
  std::string text(std::size_t row) const;
  std::vector<std::string> texts() const;
  /// text(row) of a text or object cell without a copy; TypeError for other kinds.
  std::string_view stored(std::size_t row) const;
  /// Numeric cells as doubles, missing ones NaN; TypeError for other kinds.
  std::vector<double> asDoubles() const;
  /// Numeric values or categorical codes; TypeError for text and objects.
  const Buffer& values() const;
  /// The categories of a categorical column; TypeError otherwise.
  const Column& categories() const;
  /// What a cell made up by alignment reads.
  const std::string& absentText() const { return absentText_; }

  /// The rows at `positions`, in that order; IndexError for one past the end.
  Column take(std::span<const std::size_t> positions) const;
  /// Like take, with -1 making a missing cell. Types change as pandas' reindex changes
  /// them: integers become float64 and bool becomes object, but only when a cell is missing.
  Column takeOrAbsent(std::span<const std::int64_t> positions) const;

  /// The first row of each distinct value, in order of appearance; all missing cells
  /// count as one value.
  std::vector<std::size_t> firstRows() const;
  /// The distinct values as firstRows() finds them, and each row's position among them;
  /// nullopt once more than `limit` are found, so a column of many values is not read
  /// to its end.
  std::optional<Factors> factorize(std::size_t limit = std::numeric_limits<std::size_t>::max()) const;
  /// The distinct values in order of appearance.
  Column distinct() const { return take(firstRows()); }

  /// A cell's identity as a row label: equal keys are labels pandas matches.
  std::string key(std::size_t row) const;

 private:
  Column withAbsent(std::span<const std::int64_t> positions) const;

  Kind kind_ = Kind::Float;
  std::size_t size_ = 0;
  Buffer values_;    // numbers or codes
  Buffer missing_;   // bool mask; empty when nothing is missing
  std::shared_ptr<const Strings> strings_;
  std::shared_ptr<const std::vector<Tag>> tags_;
  std::shared_ptr<const Column> categories_;
  std::string absentText_ = "nan";
  std::string typeName_;
};

}  // namespace tess::frame
