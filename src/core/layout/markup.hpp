// The visible text of plotly markup, for measuring what will be drawn.
#pragma once

#include <string>
#include <string_view>

namespace tess::layout {

/// `markup` as plotly draws it on one line: tags removed, "<br>" read as a space, and the
/// entities plotly decodes (&amp; &lt; &gt; &nbsp; &mu; &times; &plusmn; &deg; and numeric ones) decoded.
std::string plainText(std::string_view markup);

}  // namespace tess::layout
