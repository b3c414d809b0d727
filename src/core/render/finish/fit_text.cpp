// Fitting works on the visible text (titles are escaped markup) and writes it escaped again.
#include "render/finish/fit_text.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

#include "layout/constants.hpp"
#include "layout/markup.hpp"
#include "layout/metrics.hpp"
#include "layout/ticks.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Array;
using figure::Value;

namespace {

// The text shortened to roomPx at fontPx; left as it is when it fits.
void fitText(Value& text, double fontPx, double roomPx) {
  if (!text.isString()) return;
  std::string plain = layout::plainText(text.asString());
  if (layout::textWidth(plain, fontPx) <= roomPx) return;
  text = theme::escape(layout::truncate(plain, fontPx, std::max(roomPx, 0.0)));
}

// The font size of a text: its own, or `otherwise`.
double fontSize(const Value* owner, double otherwise) {
  const Value* font = owner ? figure::member(*owner, "font") : nullptr;
  const Value* size = font ? figure::member(*font, "size") : nullptr;
  return size && size->isNumber() ? size->asDouble() : otherwise;
}

// Axis titles take the template's size; a trace's colour-bar title takes the figure's font.
double titleFont(const Value* title) { return fontSize(title, theme::BODY_PX); }

// 'x' or 'y' when the key names an axis ("xaxis", "yaxis2"); 0 otherwise.
char axisOf(std::string_view key) {
  if (key.size() < 5 || (key[0] != 'x' && key[0] != 'y') || key.substr(1, 4) != "axis") return 0;
  return std::all_of(key.begin() + 5, key.end(), [](char c) { return c >= '0' && c <= '9'; }) ? key[0] : 0;
}

// Every layout update a control state carries: a relayout's first argument, an update's second.
template <class F>
void forEachStateLayout(figure::Object& layout, F&& f) {
  for (std::string_view kind : {"updatemenus", "sliders"}) {
    Value* controls = layout.find(kind);
    if (!controls || !controls->isArray()) continue;
    for (Value& control : controls->asArray()) {
      Value* items = control.isObject() ? control.asObject().find(kind == "sliders" ? "steps" : "buttons") : nullptr;
      if (!items || !items->isArray()) continue;
      for (Value& item : items->asArray()) {
        std::string method = figure::memberText(item, "method");
        Value* args = item.isObject() ? item.asObject().find("args") : nullptr;
        std::size_t at = method == "relayout" ? 0 : method == "update" ? 1 : 2;
        if (args && args->isArray() && at < args->asArray().size() && args->asArray()[at].isObject())
          f(args->asArray()[at].asObject());
      }
    }
  }
}

// The width left to an annotation at paper x with this anchor, inside the drawing area.
double noteRoom(const Value& note, double plotWidth) {
  double x = figure::member(note, "x")->asDouble();
  std::string anchor = figure::memberText(note, "xanchor");
  double share = anchor == "right" ? x : anchor == "left" ? 1.0 - x : 2.0 * std::min(x, 1.0 - x);
  return share * plotWidth - 2.0 * TITLE_END_GAP;
}

bool inPlot(const Value& note) {
  const Value* x = figure::member(note, "x");
  return figure::memberText(note, "xref") == "paper" && x && x->isNumber() && x->asDouble() >= 0.0 &&
         x->asDouble() <= 1.0;
}

void wrapNote(Value& text, double fontPx, double roomPx) {
  if (!text.isString()) return;
  std::string plain = layout::plainText(text.asString());
  if (layout::textWidth(plain, fontPx) <= roomPx) return;
  std::string wrapped;
  for (const std::string& line : layout::wrapText(plain, fontPx, roomPx, roomPx, MAX_NOTE_LINES))
    wrapped += (wrapped.empty() ? "" : "<br>") + theme::escape(line);
  text = std::move(wrapped);
}

}  // namespace

void _fitNotes(figure::Figure& fig, double plotWidth) {
  Value* notes = fig.layout.find("annotations");
  if (!notes || !notes->isArray()) return;
  Array& all = notes->asArray();
  auto fit = [&](std::size_t i, Value& text) {
    if (i < all.size() && inPlot(all[i]))
      wrapNote(text, fontSize(&all[i], theme::TICK_PX), noteRoom(all[i], plotWidth));
  };
  // States first: they measure against the note as the family placed it.
  forEachStateLayout(fig.layout, [&](figure::Object& update) {
    for (auto& [key, value] : update) {
      constexpr std::string_view head = "annotations[", tail = "].text";
      if (!key.starts_with(head) || !key.ends_with(tail)) continue;
      std::string_view index = std::string_view(key).substr(head.size(), key.size() - head.size() - tail.size());
      std::size_t i = 0;
      auto [end, ec] = std::from_chars(index.data(), index.data() + index.size(), i);
      if (ec == std::errc() && end == index.data() + index.size()) fit(i, value);
    }
  });
  for (std::size_t i = 0; i < all.size(); ++i) {
    Value* text = all[i].isObject() ? all[i].asObject().find("text") : nullptr;
    if (text) fit(i, *text);
  }
}

void _fitAxisTitles(figure::Figure& fig, double plotWidth, double plotHeight) {
  auto room = [&](char axis) { return (axis == 'x' ? plotWidth : plotHeight) - 2.0 * TITLE_END_GAP; };
  for (auto& [key, ax] : fig.layout) {
    char axis = axisOf(key);
    Value* title = axis && ax.isObject() ? ax.asObject().find("title") : nullptr;
    Value* text = title && title->isObject() ? title->asObject().find("text") : nullptr;
    if (text) fitText(*text, titleFont(title), room(axis));
  }
  forEachStateLayout(fig.layout, [&](figure::Object& update) {
    for (auto& [key, value] : update) {
      std::size_t dot = key.find('.');
      char axis = dot == std::string::npos ? 0 : axisOf(std::string_view(key).substr(0, dot));
      if (axis && key.substr(dot) == ".title.text") {
        const Value* ax = fig.layout.find(key.substr(0, dot));
        fitText(value, titleFont(ax ? figure::member(*ax, "title") : nullptr), room(axis));
      }
    }
  });
}

void _fitColorbarTitles(figure::Figure& fig, double plotHeight) {
  for (Value& trace : fig.data) {
    if (!trace.isObject()) continue;
    Value* bar = trace.asObject().find("colorbar");
    if (!bar || !bar->isObject()) {
      Value* marker = trace.asObject().find("marker");
      bar = marker && marker->isObject() ? marker->asObject().find("colorbar") : nullptr;
    }
    Value* title = bar && bar->isObject() ? bar->asObject().find("title") : nullptr;
    if (!title || !title->isObject() || figure::memberText(*title, "side") != "right") continue;
    // A bar's length is a share of the plot's height unless given in pixels.
    const Value* len = figure::member(*bar, "len");
    double length = len && len->isNumber() ? len->asDouble() : 1.0;
    if (figure::memberText(*bar, "lenmode") != "pixels") length *= plotHeight;
    Value* text = title->asObject().find("text");
    double px = fontSize(title, fontSize(fig.layout.find("font"), theme::TICK_PX));
    if (text) fitText(*text, px, length - 2.0 * TITLE_END_GAP);
  }
}

namespace {

// Calls f with each number of a list or typed array.
template <class F>
void forEachNumber(const Value* values, F&& f) {
  if (!values) return;
  if (values->isTyped())
    for (std::size_t i = 0; i < values->asTyped().size(); ++i) f(values->asTyped().at(i));
  else if (values->isArray())
    for (const Value& v : values->asArray())
      if (v.isNumber()) f(v.asDouble());
}

// Decades between the smallest and largest positive value the traces of the first axis of
// that letter place along it, error bars included; 0 without positive values.
double decadesOf(const figure::Figure& fig, char axis) {
  const std::string letter(1, axis);
  double low = INFINITY, high = 0.0;
  auto take = [&](double v) {
    if (std::isfinite(v) && v > 0) low = std::min(low, v), high = std::max(high, v);
  };
  for (const Value& trace : fig.data) {
    std::string ref = figure::memberText(trace, letter + "axis");
    if (!ref.empty() && ref != letter) continue;
    const Value* values = figure::member(trace, letter);
    forEachNumber(values, take);
    const Value* bars = figure::member(trace, "error_" + letter);
    if (!bars || !values || !values->isSequence()) continue;
    // Bars are offsets from their value: plus `array`, minus `arrayminus`.
    for (auto [key, sign] : {std::pair{"array", 1.0}, std::pair{"arrayminus", -1.0}}) {
      std::size_t i = 0;
      std::vector<double> at;
      forEachNumber(values, [&](double v) { at.push_back(v); });
      forEachNumber(figure::member(*bars, key), [&](double d) {
        if (i < at.size()) take(at[i++] + sign * d);
      });
    }
  }
  return high > 0 ? std::log10(high / low) : 0.0;
}

}  // namespace

Value _logStride(char axis, double spanPx, double decades, double fontPx) {
  // plotly pads an autoranged axis; a range under a decade still shows a decade's ticks.
  double perDecade = spanPx / (std::max(decades, 1.0) * 1.1);
  double need = (axis == 'x' ? layout::textWidth(WIDEST_DECADE, fontPx) : fontPx * layout::LINE_HEIGHT) +
                layout::TICK_LABEL_GAP;
  // The closest labels: 9 and 10 with every digit, 1 and 2 (and 5 and 10) with "D2".
  if (perDecade * std::log10(10.0 / 9.0) >= need) return "D1";
  if (perDecade * std::log10(2.0) >= need) return "D2";
  return static_cast<double>(std::max(1.0, std::ceil(need / perDecade)));
}

void _fitLogTicks(figure::Figure& fig, char axis, double spanPx) {
  const std::string name = axis == 'x' ? "xaxis" : "yaxis";
  Value* ax = fig.layout.find(name);
  bool logNow = ax && figure::memberText(*ax, "type") == "log";
  bool logLater = false;
  forEachStateLayout(fig.layout, [&](figure::Object& update) {
    const Value* type = update.find(name + ".type");
    logLater = logLater || (type && type->isString() && type->asString() == "log");
  });
  if (!logNow && !logLater) return;
  double decades = decadesOf(fig, axis);
  if (decades <= 0) return;
  const Value* tickfont = ax ? figure::member(*ax, "tickfont") : nullptr;
  const Value* size = tickfont ? figure::member(*tickfont, "size") : nullptr;
  Value stride = _logStride(axis, spanPx, decades, size && size->isNumber() ? size->asDouble() : theme::TICK_PX);
  if (logNow) figure::child(fig.layout, name).set("dtick", stride);
  forEachStateLayout(fig.layout, [&](figure::Object& update) {
    const Value* type = update.find(name + ".type");
    if (type && type->isString()) update.set(name + ".dtick", type->asString() == "log" ? stride : Value());
  });
}

}  // namespace tess::render
