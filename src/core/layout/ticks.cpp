// Category tick labels: plotly's tick-label geometry, the fitting ladder, and an axis's categories.
#include "layout/ticks.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numbers>
#include <string_view>
#include <unordered_set>

#include "errors.hpp"
#include "layout/constants.hpp"
#include "layout/markup.hpp"
#include "layout/metrics.hpp"
#include "theme/theme.hpp"

namespace tess::layout {

namespace {

using figure::Value;

// ---- where plotly draws a tick label (axes.js makeLabelFns and drawLabels), confirmed in Chromium ----
//
//   plot area
//   ──────────┬──────── plot edge
//             │ tick            standoff = TICK_LENGTH + AXIS_LINE_WIDTH + 0.2·font
//       ╲ a label, rotated about a point half a font above its baseline, ends at the tick
//
// Level x labels are centred on the tick with their baseline one font size past the
// standoff; rotated ones end at the tick; a -90° label's baseline sits at CAP_SHIFT of a font
// size and 0.175 font sizes left of the tick. y labels end at the standoff left of the axis,
// their baseline MID_SHIFT of a font size below the tick.

constexpr double STANDOFF_EM = 0.2;
constexpr double CAP_SHIFT = 0.7;
constexpr double MID_SHIFT = 0.35;
// Chromium lays text out in 1/64 px units and widens a text's box to whole pixels in its own
// frame: up to 1 px more at each end.
constexpr double LAYOUT_UNIT = 1.0 / 64;
constexpr double SNAP = 1.0 + LAYOUT_UNIT;
// plotly thins category ticks on its own when they are closer than this many font sizes (rounded).
constexpr double PLOTLY_TICK_EM = 1.2;
constexpr std::array<double, 3> X_ANGLES = {0.0, -45.0, -90.0};
constexpr std::array<double, 1> Y_ANGLES = {0.0};

double standoff(double font) { return TICK_LENGTH + AXIS_LINE_WIDTH + STANDOFF_EM * font; }

// One drawn line of text at a size and angle, in the frame of its rotation centre: the text
// runs along u from -anchor·w to (1 - anchor)·w and across it (v) from vTop to vBottom.
struct Placement {
  double font;
  double angle;
  double cos;
  double sin;     // of the angle's magnitude: the text rises to the right
  double anchor;  // share of the text before its anchor point
  double vTop;
  double vBottom;
  double centreAlong;   // rotation centre from the tick, along the axis
  double centreAcross;  // and from the plot edge, away from the plot

  double height() const { return vBottom - vTop; }
  double uStart(double width) const { return -anchor * width - SNAP; }
  double uEnd(double width) const { return (1.0 - anchor) * width + SNAP; }
};

Placement placement(double font, double angle) {
  LineMetrics line = lineMetrics(font);
  // Chromium rounds ascent and descent to whole pixels; other engines draw the exact box.
  double ascent = std::max(std::round(line.ascent), line.ascent);
  double descent = std::max(std::round(line.descent), line.descent);
  double radians = std::abs(angle) * std::numbers::pi / 180.0;
  bool vertical = std::abs(angle) == 90.0;
  double baseline = standoff(font) + (vertical ? CAP_SHIFT : 1.0) * font;
  return {font,
          angle,
          vertical ? 0.0 : std::cos(radians),
          vertical ? 1.0 : std::sin(radians),
          angle == 0.0 ? 0.5 : 1.0,
          font / 2 - ascent - LAYOUT_UNIT,
          font / 2 + descent + LAYOUT_UNIT,
          vertical ? -MID_SHIFT / 2 * font : 0.0,
          baseline - font / 2};
}

// How far one label reaches: before and after its tick along the axis, and its depth from the plot edge.
struct Reach {
  double before;
  double after;
  double depth;
};

Reach xReach(const Placement& p, double width) {
  double u0 = p.uStart(width), u1 = p.uEnd(width);
  return {-(p.centreAlong + u0 * p.cos + p.vTop * p.sin), p.centreAlong + u1 * p.cos + p.vBottom * p.sin,
          p.centreAcross - u0 * p.sin + p.vBottom * p.cos};
}

// A y label's box is level, so its reach along the axis (upwards) does not depend on its width.
Reach yReach(const Placement& p, double width) {
  double baseline = MID_SHIFT * p.font;
  return {baseline + (p.vBottom - p.font / 2), (p.font / 2 - p.vTop) - baseline,
          standoff(p.font) + width + SNAP};
}

Reach reach(const Placement& p, double width, char axis) {
  return axis == 'x' ? xReach(p, width) : yReach(p, width);
}

// ---- the ladder ----

struct Measured {
  std::vector<std::string> texts;
  std::vector<double> widths;
};

Measured measure(std::span<const std::string> labels, double font) {
  Measured m;
  m.texts.reserve(labels.size());
  m.widths.reserve(labels.size());
  for (const std::string& label : labels) {
    m.texts.push_back(truncate(label, font, TICK_LABEL_LIMIT));
    m.widths.push_back(textWidth(m.texts.back(), font));
  }
  return m;
}

// Whether every step-th label, drawn as p places it `spacing` apart, clears its shown
// neighbours by the gap. Labels of one angle are parallel boxes, so two of them are as far
// apart as the clear space across the text and the clear space along it make together; and
// since shown neighbours are the closest pairs, neighbours clear means every pair is clear.
bool clears(const Measured& m, const Placement& p, double spacing, std::size_t step, char axis) {
  std::size_t n = m.widths.size();
  if (step >= n) return true;
  // Left without tick arrays, plotly would thin ticks closer than this itself.
  if (step == 1 && spacing < std::round(PLOTLY_TICK_EM * p.font)) return false;
  double offset = static_cast<double>(step) * spacing;
  // y labels stand one above the other: only the space across them counts.
  double across = (axis == 'x' ? offset * p.sin : offset) - p.height();
  if (across >= TICK_LABEL_GAP || axis == 'y') return across >= TICK_LABEL_GAP;
  for (std::size_t i = 0; i + step < n; i += step) {
    double along = offset * p.cos - (p.uEnd(m.widths[i]) - p.uStart(m.widths[i + step]));
    if (std::hypot(std::max(along, 0.0), std::max(across, 0.0)) < TICK_LABEL_GAP) return false;
  }
  return true;
}

TickPolicy settle(Measured m, const Placement& p, double spanPx, std::size_t step, char axis) {
  std::size_t n = m.widths.size();
  double spacing = spanPx / static_cast<double>(std::max<std::size_t>(n, 1));
  // No labels are measured as one empty label: a line of text under x, none beside y.
  double extent = reach(p, 0.0, axis).depth;
  double overhangStart = 0.0, overhangEnd = 0.0;
  for (std::size_t i = 0; i < n; i += step) {
    Reach r = reach(p, m.widths[i], axis);
    double position = (static_cast<double>(i) + 0.5) * spacing;
    extent = std::max(extent, r.depth);
    overhangStart = std::max(overhangStart, r.before - position);
    overhangEnd = std::max(overhangEnd, position + r.after - spanPx);
  }
  return {p.angle,        p.font,        static_cast<std::int64_t>(step), extent, std::move(m.texts),
          overhangStart, overhangEnd};
}

std::vector<double> fontSizes(std::optional<double> tickFont) {
  if (tickFont) return {*tickFont};
  std::vector<double> sizes;
  for (double size = theme::TICK_PX; size >= TICK_FONT_FLOOR; size -= 1.0) sizes.push_back(size);
  return sizes;
}

bool positiveFinite(double x) { return std::isfinite(x) && x > 0.0; }

void checkAxis(char axis) {
  if (axis != 'x' && axis != 'y') throw ValueError("axis must be 'x' or 'y'");
}

// ---- an axis's categories ----

// Texts in order of first appearance, each once.
class Distinct {
 public:
  void add(std::string text) {
    if (seen_.insert(text).second) order_.push_back(std::move(text));
  }
  bool empty() const { return order_.empty(); }
  std::vector<std::string> take() { return std::move(order_); }

 private:
  std::unordered_set<std::string> seen_;
  std::vector<std::string> order_;
};

// Calls f with every element of a list or typed array, or with a scalar itself.
template <class F>
void forEachElement(const Value& values, F&& f) {
  if (values.isArray()) {
    for (const Value& v : values.asArray()) f(v);
  } else if (values.isTyped()) {
    const figure::TypedArray& typed = values.asTyped();
    for (std::size_t i = 0; i < typed.size(); ++i) f(Value(typed.at(i)));
  } else {
    f(values);
  }
}

bool isScalar(const Value& v) { return v.isString() || v.isNumber() || v.isBool(); }

// A scalar's text; "" for nulls and containers, which plotly cannot show either.
std::string scalarText(const Value& v) { return isScalar(v) ? figure::toText(v) : std::string(); }

// Text that JavaScript's Number() reads as a finite number (plotly counts it as one).
bool isNumericText(std::string_view text) {
  constexpr std::string_view space = " \t\n\r\f\v";
  std::size_t first = text.find_first_not_of(space);
  if (first == std::string_view::npos) return false;
  text = text.substr(first, text.find_last_not_of(space) - first + 1);
  if (text.front() == '+' || text.front() == '-') text.remove_prefix(1);
  if (text.empty() || text.front() == '+' || text.front() == '-') return false;
  double value = 0.0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

// plotly's category test on the data that decides an untyped axis: more than twice as many
// distinct texts as distinct numbers.
bool looksCategorical(const Value& values) {
  if (values.isTyped()) return false;
  std::unordered_set<std::string> seen;
  std::size_t texts = 0, numbers = 0;
  forEachElement(values, [&](const Value& v) {
    if (!isScalar(v) || !seen.insert(figure::toText(v)).second) return;
    bool number = v.isNumber() || (v.isString() && isNumericText(v.asString()));
    ++(number ? numbers : texts);
  });
  return texts > 2 * numbers;
}

// A box or violin given no positions stands at its x0 (y0 lying down) on its category
// axis, or else at its name.
const Value* namedPosition(const Value& trace, char axis) {
  std::string type = figure::memberText(trace, "type");
  if (type != "box" && type != "violin") return nullptr;
  std::string orientation = figure::memberText(trace, "orientation");
  bool horizontal = orientation == "h" ||
                    (orientation.empty() && figure::member(trace, "x") && !figure::member(trace, "y"));
  if ((horizontal ? 'y' : 'x') != axis) return nullptr;
  const Value* at = figure::member(trace, horizontal ? "y0" : "x0");
  if (at && at->isString()) return at;
  const Value* name = figure::member(trace, "name");
  return name && name->isString() ? name : nullptr;
}

// What each visible trace on the first axis of that letter places along it, in trace order.
std::vector<const Value*> coordinates(const figure::Figure& fig, char axis) {
  const std::string letter(1, axis);
  std::vector<const Value*> found;
  for (const Value& trace : fig.data) {
    if (!trace.isObject() || figure::memberIs(trace, "visible", false)) continue;
    std::string ref = figure::memberText(trace, letter + "axis");
    if (!ref.empty() && ref != letter) continue;
    const Value* values = figure::member(trace, letter);
    if (!values || values->isNull()) values = namedPosition(trace, axis);
    if (values && values->truthy()) found.push_back(values);
  }
  return found;
}

// The visible texts of explicit tick texts, one per tick value.
std::vector<std::string> tickTexts(const Value& ax) {
  std::string mode = figure::memberText(ax, "tickmode");
  const Value* values = figure::member(ax, "tickvals");
  const Value* texts = figure::member(ax, "ticktext");
  bool given = values && texts && values->length() > 0 && texts->length() > 0;
  if (!given || (!mode.empty() && mode != "array")) return {};
  std::vector<std::string> out;
  forEachElement(*values, [&](const Value& v) { out.push_back(scalarText(v)); });
  std::size_t i = 0;
  forEachElement(*texts, [&](const Value& t) {
    if (i < out.size()) out[i++] = plainText(scalarText(t));
  });
  return out;
}

}  // namespace

TickPolicy tickPolicy(std::span<const std::string> labels, double spanPx, std::optional<double> tickFont,
                      char axis, std::span<const std::vector<std::string>> others) {
  checkAxis(axis);
  if (!positiveFinite(spanPx)) throw ValueError("spanPx must be a positive finite number");
  if (tickFont && !positiveFinite(*tickFont)) throw ValueError("tickFont must be a positive finite number");
  const std::span<const double> angles = axis == 'x' ? std::span<const double>(X_ANGLES) : Y_ANGLES;
  auto spacingOf = [&](const Measured& m) {
    return spanPx / static_cast<double>(std::max<std::size_t>(m.widths.size(), 1));
  };

  // The first order's labels, then every other order's, measured at one size.
  std::vector<Measured> orders;
  auto measureAll = [&](double font) {
    orders.clear();
    orders.push_back(measure(labels, font));
    for (const std::vector<std::string>& other : others) orders.push_back(measure(other, font));
  };
  auto clearsAll = [&](const Placement& p, std::size_t step) {
    return std::all_of(orders.begin(), orders.end(),
                       [&](const Measured& m) { return clears(m, p, spacingOf(m), step, axis); });
  };
  // The first order's texts, with the room the most demanding order needs.
  auto settleAll = [&](const Placement& p, std::size_t step) {
    TickPolicy policy = settle(std::move(orders.front()), p, spanPx, step, axis);
    for (std::size_t i = 1; i < orders.size(); ++i) {
      TickPolicy other = settle(std::move(orders[i]), p, spanPx, step, axis);
      policy.extent = std::max(policy.extent, other.extent);
      policy.overhangStart = std::max(policy.overhangStart, other.overhangStart);
      policy.overhangEnd = std::max(policy.overhangEnd, other.overhangEnd);
    }
    return policy;
  };

  // Level before rotated before smaller, all labels shown; then the smallest stride at the last size.
  double font = 0.0;
  for (double size : fontSizes(tickFont)) {
    font = size;
    measureAll(font);
    for (double angle : angles) {
      Placement p = placement(font, angle);
      if (clearsAll(p, 1)) return settleAll(p, 1);
    }
  }
  // Terminates: from step = the most labels of any order on only the first label is shown.
  for (std::size_t step = 2;; ++step) {
    for (double angle : angles) {
      Placement p = placement(font, angle);
      if (clearsAll(p, step)) return settleAll(p, step);
    }
  }
}

std::vector<std::string> axisCategories(const figure::Figure& fig, char axis) {
  checkAxis(axis);
  static const Value none = figure::Object{};
  const Value* found = fig.layout.find(axis == 'x' ? "xaxis" : "yaxis");
  const Value& ax = found && found->isObject() ? *found : none;
  Distinct labels;
  const Value* order = figure::member(ax, "categoryarray");
  if (figure::memberText(ax, "categoryorder") == "array" && order) {
    forEachElement(*order, [&](const Value& v) {
      if (isScalar(v)) labels.add(figure::toText(v));
    });
  }
  std::string type = figure::memberText(ax, "type");
  std::vector<const Value*> data = coordinates(fig, axis);
  bool untyped = type.empty() || type == "-";
  bool categorical = type == "category" ||
                     (untyped && (!labels.empty() || (!data.empty() && looksCategorical(*data.front()))));
  if (!categorical) return {};
  for (const Value* values : data) {
    forEachElement(*values, [&](const Value& v) {
      if (isScalar(v)) labels.add(figure::toText(v));
    });
  }
  return labels.take();
}

std::vector<std::string> axisLabels(const figure::Figure& fig, char axis) {
  checkAxis(axis);
  const Value* found = fig.layout.find(axis == 'x' ? "xaxis" : "yaxis");
  if (found && found->isObject())
    if (std::vector<std::string> texts = tickTexts(*found); !texts.empty()) return texts;
  // plotly draws category names as markup: what shows is their plain text.
  std::vector<std::string> out = axisCategories(fig, axis);
  for (std::string& label : out) label = plainText(label);
  return out;
}

}  // namespace tess::layout
