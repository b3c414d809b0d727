// Spec values checked where the core turns them into plotly attributes: a value plotly
// would refuse fails here, as plotly.py would fail it (ValueError), with a message that
// names the spec attribute and the value, instead of travelling on into a figure that
// plotly.py rejects and plotly.js draws wrongly.
#pragma once

#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "figure/value.hpp"

namespace tess::render {

/// The closed range a numeric attribute takes, and how a message describes it.
struct Range {
  double low, high;
  std::string_view rule;  ///< completes "<attribute> must be ...", e.g. "a number between 0 and 1"
};

inline constexpr Range OPACITY{0.0, 1.0, "a number between 0 and 1"};
/// A marker wider than the smallest drawing area (layout::MIN_PLOT_HEIGHT) cannot be shown.
inline constexpr Range MARKER_PX{0.0, 200.0, "a number of pixels from 0 to 200"};
/// plotly's smallest font is 1 px; beyond 100 px a base font leaves no room for the plot.
inline constexpr Range FONT_PX{1.0, 100.0, "a number of pixels from 1 to 100"};
/// A requested figure size; the funnel fits it between the smallest and largest figure.
inline constexpr Range FIGURE_PX{0.0, std::numeric_limits<double>::max(), "a positive number of pixels"};

/// A text as Python's repr shows it: single-quoted, with quotes, backslashes and control
/// characters escaped, cut after 60 bytes.
std::string shownText(std::string_view text);
/// A spec value as Python's repr shows it (containers briefly).
std::string shownValue(const figure::Value& value);

/// `attribute` followed by "[key]" for each key, Python's way: colors['cluster']['a'].
std::string subscripted(std::string_view attribute, std::string_view key);

/// A number within `range`, null staying null. Anything else (texts, booleans, containers,
/// NaN, values out of range) throws ValueError "<attribute> must be <rule>, not <value>".
figure::Value checkedNumber(std::string_view attribute, const figure::Value& value, const Range& range);
std::optional<double> checkedNumber(std::string_view attribute, std::optional<double> value, const Range& range);

/// A spec colour as plotly.py accepts it: names and hex forms as given, any other form
/// the theme parses (rgb(), hsl(), "transparent", ...) rewritten as "rgba(r,g,b,a)", since
/// plotly.py's validator knows fewer forms than plotly.js draws. ValueError naming
/// `attribute` for text that is no colour.
std::string checkedColor(std::string_view attribute, std::string_view colour);

}  // namespace tess::render
