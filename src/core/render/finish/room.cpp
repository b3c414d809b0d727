// Room measures read the figure only; they mirror what plotly will draw.
#include "render/finish/room.hpp"

#include <algorithm>
#include <set>

#include "layout/constants.hpp"
#include "layout/markup.hpp"
#include "layout/metrics.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Object;
using figure::Value;

namespace {

// Trace types plotly leaves out of the legend unless asked to list them.
bool listedByDefault(const Value& trace) {
  std::string type = figure::memberText(trace, "type");
  return type != "heatmap" && type != "histogram2d" && type != "contour" && type != "image";
}

bool listed(const Value& trace) {
  return listedByDefault(trace) ? !figure::memberIs(trace, "showlegend", false)
                                : figure::memberIs(trace, "showlegend", true);
}

std::vector<std::string> legendNames(const figure::Figure& fig) {
  std::vector<std::string> names;
  std::set<std::string> seen;
  for (const Value& trace : fig.data) {
    if (!listed(trace)) continue;
    const Value* name = figure::member(trace, "name");
    if (!name || name->isNull()) continue;
    std::string text = layout::plainText(figure::toText(*name));
    if (!text.empty() && seen.insert(text).second) names.push_back(text);
  }
  return names;
}

bool legendShown(const figure::Figure& fig, std::size_t named) {
  const Value* show = fig.layout.find("showlegend");
  if (show && show->isBool()) return show->asBool();
  // Left to plotly, a legend appears once there are two traces that could be in it; a
  // trace asking for its entry explicitly counts twice, so it gets a legend on its own.
  std::size_t candidates = 0;
  for (const Value& trace : fig.data)
    if (listed(trace)) candidates += figure::memberIs(trace, "showlegend", true) ? 2 : 1;
  return named > 0 && candidates > 1;
}

// Whether a trace draws a colorbar, and which colorbar record it uses.
const Value* shownColorbar(const Value& trace, bool& shows) {
  std::string type = figure::memberText(trace, "type");
  shows = false;
  if (type == "image") return nullptr;  // an image trace never draws a colorbar
  if (type == "heatmap" || type == "histogram2d" || type == "contour") {
    shows = !figure::memberIs(trace, "showscale", false);
    return figure::member(trace, "colorbar");
  }
  const Value* marker = figure::member(trace, "marker");
  if (!marker || !marker->isObject()) return nullptr;
  if (figure::memberIs(*marker, "showscale", true)) {
    shows = true;
  } else {
    const Value* scale = figure::member(*marker, "colorscale");
    const Value* color = figure::member(*marker, "color");
    bool scaled = scale && !scale->isNull() && color && color->isSequence();
    shows = scaled && !figure::memberIs(*marker, "showscale", false);
  }
  const Value* own = figure::member(trace, "colorbar");
  return own && !own->isNull() ? own : figure::member(*marker, "colorbar");
}

}  // namespace

void _fitLegendNames(figure::Figure& fig) {
  double room = layout::MAX_LEGEND_WIDTH - layout::LEGEND_PAD;
  for (Value& trace : fig.data) {
    Value* name = trace.isObject() ? trace.asObject().find("name") : nullptr;
    if (!name || !name->isString() || !listed(trace)) continue;
    std::string plain = layout::plainText(name->asString());
    if (layout::textWidth(plain, theme::TICK_PX) > room) *name = theme::escape(layout::truncate(plain, theme::TICK_PX, room));
  }
}

double _legendWidth(const figure::Figure& fig) {
  std::vector<std::string> names = legendNames(fig);
  if (names.empty() || !legendShown(fig, names.size())) return 0.0;
  return std::min(layout::widest(names, theme::TICK_PX) + layout::LEGEND_PAD, layout::MAX_LEGEND_WIDTH);
}

double _colorbarWidth(const figure::Figure& fig) {
  for (const Value& trace : fig.data) {
    bool shows = false;
    const Value* colorbar = shownColorbar(trace, shows);
    if (!shows) continue;
    const Value* title = colorbar ? figure::member(*colorbar, "title") : nullptr;
    bool titled = title && !figure::memberText(*title, "text").empty();
    return layout::COLORBAR_WIDTH + (titled ? theme::BODY_PX * layout::LINE_HEIGHT : 0.0);
  }
  return 0.0;
}

namespace {

// Whether plotly offers box and lasso selection for a trace: markers or text of a scatter,
// the points of a box or violin drawn with all points, and every bar.
bool selectable(const Value& trace) {
  std::string type = figure::memberText(trace, "type");
  if (type == "scatter" || type == "scattergl") {
    const Value* mode = figure::member(trace, "mode");
    std::string m = mode && mode->isString() ? mode->asString() : "markers";
    return m.find("markers") != std::string::npos || m.find("text") != std::string::npos;
  }
  if (type == "box") return figure::memberText(trace, "boxpoints") == "all";
  if (type == "violin") return figure::memberText(trace, "points") == "all";
  return type == "bar" || type == "histogram";
}

}  // namespace

Corner _modeBarCorner(const figure::Figure& fig, std::span<const std::string> added) {
  bool selection = std::any_of(fig.data.begin(), fig.data.end(), selectable);
  std::vector<std::string> shown{"zoom2d", "pan2d"};
  if (selection) shown.insert(shown.end(), {"select2d", "lasso2d"});
  std::vector<std::size_t> groups{1, shown.size(), 4};
  std::size_t extra = 0;
  for (const std::string& button : added)
    if (std::find(shown.begin(), shown.end(), button) == shown.end()) ++extra;
  if (extra) groups.push_back(extra);
  double width = 0;
  for (std::size_t buttons : groups)
    width += layout::MODEBAR_GROUP_PAD + layout::MODEBAR_BUTTON * static_cast<double>(buttons);
  return {width + layout::MODEBAR_INSET, layout::MODEBAR_INSET + layout::MODEBAR_HEIGHT};
}

double _axisTitleSpace(const figure::Figure& fig, char axis) {
  const Value* ax = fig.layout.find(axis == 'x' ? "xaxis" : "yaxis");
  const Value* title = ax ? figure::member(*ax, "title") : nullptr;
  if (!title || figure::memberText(*title, "text").empty()) return 0.0;
  return theme::BODY_PX * layout::LINE_HEIGHT + layout::AXIS_TITLE_GAP;
}

void _placeScales(figure::Figure& fig, double plotWidth) {
  double colorbar = _colorbarWidth(fig);
  if (colorbar == 0.0 || _legendWidth(fig) == 0.0) return;
  Object& legend = figure::child(fig.layout, "legend");
  legend.set("x", 1.0 + (colorbar + SCALE_GAP) / plotWidth);
  legend.set("xanchor", "left");
  legend.set("y", 1.0);
  legend.set("yanchor", "top");
}

}  // namespace tess::render
