// Category axes drawn at numeric positions: tick values with their texts.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "figure/value.hpp"

namespace tess::render {

/// The texts escaped, one list entry each: plotly draws tick texts, legend names and
/// category values as markup.
figure::Array escapedTexts(std::span<const std::string> texts);

/// Category values as a figure holds them: escaped, since plotly draws categories and the
/// "%{x}" or "%{y}" of a tooltip as markup, and repeats told apart by zero-width spaces,
/// since a category axis would draw two rows of one name in one place.
figure::Array categoryValues(std::span<const std::string> texts);

/// Positions 0, 1, ..., n - 1.
figure::Array positions(std::size_t n);

/// Axis settings that name the categories at `values`: "tickmode" "array", "tickvals",
/// "ticktext" (the texts escaped) and "title_text" (the title escaped). ValueError unless
/// there is one text per value.
figure::Object categoryAxis(figure::Array values, std::span<const std::string> texts, std::string_view title);

/// A hidden axis that moves with the shown axis `over` ("x" or "y") and names position i
/// `texts[i]`: a trace on it shows that name through "%{x}" or "%{y}" in its tooltip, as
/// plotly names a hovered position by its tick text, however the shown axis thins or
/// shortens its own labels. A name per position, not per mark. `limits` ("minallowed",
/// "maxallowed") must be the shown axis's too: plotly autoscales matched axes each within
/// its own limits.
figure::Object namingAxis(std::string_view over, std::span<const std::string> texts, const figure::Object& limits);

}  // namespace tess::render
