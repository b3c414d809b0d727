#include "render/families/common/category_axis.hpp"

#include <unordered_map>

#include "errors.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Array;
using figure::Object;

Array escapedTexts(std::span<const std::string> texts) {
  Array out;
  out.reserve(texts.size());
  for (const std::string& text : texts) out.emplace_back(theme::escape(text));
  return out;
}

Array categoryValues(std::span<const std::string> texts) {
  std::unordered_map<std::string, int> seen;
  Array out;
  out.reserve(texts.size());
  for (const std::string& text : texts) {
    std::string value = theme::escape(text);
    for (int k = seen[text]++; k > 0; --k) value += "\u200B";
    out.emplace_back(std::move(value));
  }
  return out;
}

Array positions(std::size_t n) {
  Array out;
  out.reserve(n);
  for (std::size_t i = 0; i < n; ++i) out.emplace_back(static_cast<std::int64_t>(i));
  return out;
}

Object categoryAxis(Array values, std::span<const std::string> texts, std::string_view title) {
  if (values.size() != texts.size())
    throw ValueError(std::to_string(texts.size()) + " tick texts for " + std::to_string(values.size()) + " positions");
  return Object{{"tickmode", "array"},
                {"tickvals", std::move(values)},
                {"ticktext", escapedTexts(texts)},
                {"title_text", theme::escape(title)}};
}

Object namingAxis(std::string_view over, std::span<const std::string> texts, const Object& limits) {
  // Visible to plotly, or it would drop the tick texts, but nothing of it drawn.
  Object out{{"overlaying", std::string(over)}, {"matches", std::string(over)}, {"tickmode", "array"},
             {"tickvals", positions(texts.size())}, {"ticktext", escapedTexts(texts)}, {"showticklabels", false},
             {"ticks", ""}, {"showgrid", false}, {"zeroline", false}, {"showline", false}};
  for (const auto& [key, value] : limits) out.set(key, value);
  return out;
}

}  // namespace tess::render
