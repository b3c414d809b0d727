// The tooltip encoder: columns of one trace's rows as customdata, text and a hovertemplate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "figure/value.hpp"
#include "frame/frame.hpp"

namespace tess::render {

/// What a trace needs to draw its tooltip.
struct Hover {
  /// One row per mark, one column per "%{customdata[i]}" of the template: a 2-D int32,
  /// float32 or float64 typed array, or a list of rows of strings (already escaped).
  std::optional<figure::Value> customdata;
  /// One escaped string per mark, shown by "%{text}".
  std::optional<figure::TextArray> text;
  /// Lines each ending in "<br>", without the closing "<extra></extra>".
  std::string template_;

  /// "hovertemplate", then "customdata" and "text" when present, for merging into a trace.
  figure::Object trace() const;
};

/// One tooltip line: the escaped name, ": ", `value` (a placeholder such as
/// "%{customdata[0]:.4g}", or text already escaped) and "<br>".
std::string hoverLine(std::string_view name, std::string_view value);

/// `trace` with the tooltip's attributes merged in; TypeError where one would replace an
/// attribute the trace already has.
figure::Object withHover(figure::Object trace, const Hover& hover);

/// The tooltip of the named columns of `frame` (the rows of one trace). Names the frame
/// lacks are skipped. Constant columns become literal template lines, the widest varying
/// text column becomes `text`, the other varying columns `customdata`.
Hover _hoverColumns(const frame::Frame& frame, std::span<const frame::Name> columns);
/// The same for the frame's rows at `rows`, in that order, without slicing the frame first;
/// IndexError for a row past the end.
Hover _hoverColumns(const frame::Frame& frame, std::span<const frame::Name> columns, std::span<const std::size_t> rows);

/// One cell as a tooltip shows it: missing values and non-finite floats "-", floats in
/// four significant digits (".4g"), integers with thousands separators, anything else
/// its text form.
std::string _formatCell(const frame::Column& column, std::size_t row);

/// A numeric column as a typed array and the d3 format that shows it: booleans int32 "d",
/// integers int32 ",d", floats float32 ".4g". Integer and boolean columns int32 cannot
/// hold exactly (missing cells, values beyond its range) travel as float32 or float64
/// with NaN for missing, keeping their format. TypeError for other columns.
std::pair<figure::TypedArray, std::string> _numericFormat(const frame::Column& values);

/// Whether a column belongs in a typed matrix: booleans, integers and floats, nullable
/// ones included.
bool _isNumericColumn(const frame::Column& values);

/// A whole number as d3's ",d" writes it: a comma between groups of three digits.
std::string withThousands(std::int64_t n);

/// Text shown through "%{...}": only '&', '<' and '>' become entities, since plotly.js
/// renders substituted values as markup but never substitutes into them again.
std::string escapeValue(std::string_view text);

}  // namespace tess::render
