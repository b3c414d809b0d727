#include "render/families/common/colors.hpp"

#include "errors.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Object;
using figure::Value;

std::string categoryColor(std::optional<std::string_view> given, std::string_view fallback) {
  return std::string(given && !given->empty() ? *given : fallback);
}

std::string categoryColor(const ColorMap& colors, std::string_view name, std::string_view fallback) {
  auto found = colors.find(std::string(name));
  return categoryColor(found == colors.end() ? std::nullopt : std::optional<std::string_view>(found->second),
                       fallback);
}

Object colorEncoding(const ColorScale& scale, std::span<const double> values, char prefix) {
  if (prefix != 'c' && prefix != 'z') throw ValueError("a colour encoding is keyed 'c' or 'z'");
  theme::Limits limits = theme::colorLimits(values, scale.kind, scale.vmin, scale.vmax, scale.center);
  std::string p(1, prefix);
  return Object{{"colorscale", theme::colorscale(scale.cmap, scale.kind)},
                {p + "min", limits.low},
                {p + "max", limits.high},
                {p + "mid", limits.mid ? Value(*limits.mid) : Value()}};
}

Object colorbar(std::string_view title, double length) {
  return Object{{"title", Object{{"text", theme::escape(title)}, {"side", "right"}}},
                {"thickness", 12},
                {"len", length},
                {"tickfont", Object{{"size", theme::TICK_PX}}}};
}

}  // namespace tess::render
