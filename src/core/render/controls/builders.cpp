// Dropdowns over trace groups, the two-ladder marker-size slider and dropdown axis titles.
#include "render/controls/builders.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "errors.hpp"
#include "layout/constants.hpp"
#include "layout/control.hpp"
#include "layout/slider.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Array;
using figure::Object;
using figure::Value;

namespace {

// Python's sequence indexing: a negative index counts from the end.
std::size_t tracePosition(const figure::Figure& fig, std::int64_t index) {
  auto count = static_cast<std::int64_t>(fig.data.size());
  std::int64_t position = index < 0 ? index + count : index;
  if (position < 0 || position >= count)
    throw IndexError("trace index " + std::to_string(index) + " out of range for " + std::to_string(count) +
                     " traces");
  return static_cast<std::size_t>(position);
}

double sizeNumber(const Value& size) {
  if (!size.isNumber()) throw TypeError("a marker size is a number or an array of numbers");
  return size.asDouble();
}

// Python's max and min: an element replaces the current one only when it compares
// greater (smaller), so a NaN never wins once a number came first.
std::pair<double, double> extremes(const std::vector<double>& values) {
  double low = values.front(), high = values.front();
  for (double v : values) {
    if (v > high) high = v;
    if (v < low) low = v;
  }
  return {low, high};
}

// An array of sizes is one-dimensional numbers, as plotly reads it.
void checkSizes(const Value& size) {
  if (size.isTyped() && size.asTyped().ndim() != 1) throw ValueError("a marker size array is one-dimensional");
  if (size.isArray())
    for (const Value& v : size.asArray()) sizeNumber(v);
}

// An array of sizes stays one array: a step of a large plot carries one per marker.
Value scaled(const Value& size, double factor) {
  if (!size.isSequence()) return roundTo2(sizeNumber(size) * factor);
  std::vector<double> out;
  checkSizes(size);
  if (size.isTyped()) {
    const figure::TypedArray& array = size.asTyped();
    out.reserve(array.size());
    for (std::size_t i = 0; i < array.size(); ++i) out.push_back(roundTo2(array.at(i) * factor));
  } else {
    out.reserve(size.length());
    for (const Value& v : size.asArray()) out.push_back(roundTo2(v.asDouble() * factor));
  }
  return figure::TypedArray::of(std::move(out));
}

// Each trace's sizeref at `factor` times its markers' size; one number when they share it.
Array sizerefs(const std::vector<double>& refs, double factor) {
  bool shared = std::all_of(refs.begin(), refs.end(), [&](double r) { return r == refs.front(); });
  Array out;
  for (std::size_t i = 0; i < (shared ? 1 : refs.size()); ++i) out.emplace_back(refs[i] / factor);
  return out;
}

Object step(std::string label, std::string_view attribute, Array values, const std::vector<std::int64_t>& kept) {
  Array traces(kept.begin(), kept.end());
  // restyle hands trace k entry k of a list, so each trace's value (itself a list for an
  // array size) sits in the outer list once.
  return Object{{"label", std::move(label)},
                {"method", "restyle"},
                {"args", Array{Object{{std::string(attribute), std::move(values)}}, std::move(traces)}}};
}

std::size_t unitFactor() {
  const auto& factors = layout::SIZE_FACTORS;
  auto one = std::find(factors.begin(), factors.end(), 1.0);
  if (one == factors.end()) throw ValueError("the size factors do not offer 1.0");
  return static_cast<std::size_t>(one - factors.begin());
}

std::vector<std::int64_t> everyTrace(const figure::Figure& fig) {
  std::vector<std::int64_t> all(fig.data.size());
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<std::int64_t>(i);
  return all;
}

// Attribute paths of a trace's tree, e.g. "error_x.array".
void flatten(const Object& attributes, const std::string& prefix, Object& out) {
  for (const auto& [key, value] : attributes) {
    std::string path = prefix + key;
    if (value.isObject()) flatten(value.asObject(), path + ".", out);
    else if (value.isTyped()) out.set(path, Array{value.asTyped().asRecord()});
    else out.set(path, Array{value});
  }
}

}  // namespace

Object restyleOf(const Object& attributes) {
  Object out;
  flatten(attributes, "", out);
  return out;
}

std::string formatG(double x) {
  char buffer[32];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, 6);
  if (error != std::errc{}) throw ValueError("number too long to format");
  return std::string(buffer, end);
}

double roundTo2(double x) {
  double scaled = x * 100.0;
  // Away from a tie the scaled product rounds as the exact value would, and n / 100 is then
  // the double nearest the two-decimal number, as Python's round gives.
  if (std::abs(scaled) < 1e12 && std::abs(scaled - std::floor(scaled) - 0.5) > 1e-3)
    return std::nearbyint(scaled) / 100.0;
  // Near a tie, and for huge or non-finite values, round the exact decimal expansion.
  char buffer[400];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, 2);
  if (error != std::errc{}) throw ValueError("number too long to round");
  double out = x;
  std::from_chars(buffer, end, out);
  return out;
}

MarkerSizes _markerSizes(const figure::Figure& fig, std::span<const std::int64_t> indices) {
  MarkerSizes out;
  for (std::int64_t index : indices) {
    std::size_t position = tracePosition(fig, index);
    const Value& trace = fig.data[position];
    if (!trace.isObject()) throw TypeError("a trace is a mapping");
    const Value* marker = trace.asObject().find("marker");
    if (!marker || marker->isNull()) continue;
    if (!marker->isObject()) throw TypeError("a trace's marker is a mapping");
    const Value* size = marker->asObject().find("size");
    if (!size || size->isNull()) continue;
    out.kept.push_back(static_cast<std::int64_t>(position));
    out.sizes.push_back(*size);
    const Value* ref = marker->asObject().find("sizeref");
    out.refs.push_back(ref && ref->isNumber() ? ref->asDouble() : 1.0);
  }
  return out;
}

std::optional<double> _uniformSize(std::span<const figure::Value> sizes, double tolerance) {
  if (sizes.empty()) throw IndexError("no marker sizes to compare");
  if (std::any_of(sizes.begin(), sizes.end(), [](const Value& s) { return s.isSequence(); })) return std::nullopt;
  std::vector<double> values;
  values.reserve(sizes.size());
  for (const Value& s : sizes) values.push_back(sizeNumber(s));
  if (values.front() <= 0) return std::nullopt;
  auto [low, high] = extremes(values);
  if (high - low > tolerance * high) return std::nullopt;
  return values.front();
}

std::optional<Object> sizeSlider(const figure::Figure& fig, const std::optional<std::vector<std::int64_t>>& indices,
                                 std::string_view label, bool relative) {
  MarkerSizes found = _markerSizes(fig, indices ? *indices : everyTrace(fig));
  if (found.kept.empty()) return std::nullopt;
  std::optional<double> uniform = relative ? std::nullopt : _uniformSize(found.sizes);

  Array steps;
  std::size_t active = 0;
  std::optional<std::string> suffix;
  // Where every size is an array, one sizeref per trace scales them all: a step then
  // carries a number, not a size per marker.
  bool arrays = std::all_of(found.sizes.begin(), found.sizes.end(), [](const Value& s) { return s.isSequence(); });
  if (arrays) std::for_each(found.sizes.begin(), found.sizes.end(), checkSizes);
  if (!uniform) {
    active = unitFactor();
    for (double factor : layout::SIZE_FACTORS) {
      Array sizes;
      if (!arrays)
        for (const Value& size : found.sizes) sizes.push_back(scaled(size, factor));
      std::string name = formatG(factor) + "\u00D7";
      steps.emplace_back(arrays ? step(std::move(name), "marker.sizeref", sizerefs(found.refs, factor), found.kept)
                                : step(std::move(name), "marker.size", std::move(sizes), found.kept));
    }
  } else {
    auto [ladder, at] = layout::sizeLadder(*uniform);
    active = at;
    for (double size : ladder)
      steps.emplace_back(step(formatG(size), "marker.size", Array(found.kept.size(), Value(size)), found.kept));
    suffix = " px";
  }
  return layout::control(bandSlider(static_cast<std::int64_t>(active), std::move(steps), std::string(label) + ": ", suffix),
                         "slider");
}

Object bandSlider(std::int64_t active, Array steps, std::string prefix, std::optional<std::string> suffix) {
  Object current{{"prefix", std::move(prefix)}};
  if (suffix) current.set("suffix", std::move(*suffix));
  current.set("xanchor", "left");
  current.set("font", Object{{"size", theme::TICK_PX}, {"color", layout::CAPTION_COLOR}});
  return Object{{"active", active},
                {"steps", std::move(steps)},
                {"pad", Object{{"t", 0}, {"b", 0}}},
                {"currentvalue", std::move(current)},
                {"ticklen", 3},
                {"tickwidth", 1},
                {"bgcolor", "#D8D8D8"},
                {"bordercolor", "#FFFFFF"}};
}

std::string axisTitleFor(std::string_view name, std::optional<std::string_view> base) {
  std::string head = theme::escape(name);
  if (!base || base->empty()) return head;
  return head + " \u00B7 " + theme::escape(*base);
}

std::vector<bool> _visibility(std::span<const std::int64_t> groups, std::int64_t active) {
  std::vector<bool> mask;
  for (std::size_t g = 0; g < groups.size(); ++g) {
    if (groups[g] < 0) throw ValueError("a trace group cannot hold a negative number of traces");
    mask.insert(mask.end(), static_cast<std::size_t>(groups[g]), static_cast<std::int64_t>(g) == active);
  }
  return mask;
}

Object dropdownControl(std::span<const std::string> labels, std::span<const std::int64_t> groups,
                       const DropdownOptions& options) {
  const std::optional<std::string>& axis = options.axisTitle;
  bool retitle = axis && (*axis == "x" || *axis == "y");
  std::optional<std::string_view> base;
  if (options.axisBase) base = *options.axisBase;

  const std::vector<Object>& extra = options.stateLayout;
  if (!extra.empty() && extra.size() != labels.size())
    throw ValueError("a dropdown of " + std::to_string(labels.size()) + " states with " +
                     std::to_string(extra.size()) + " layout updates");
  const std::vector<Object>& traces = options.stateTraces;
  if (!traces.empty() && traces.size() != labels.size())
    throw ValueError("a dropdown of " + std::to_string(labels.size()) + " states with " +
                     std::to_string(traces.size()) + " trace updates");
  Array buttons;
  for (std::size_t k = 0; k < labels.size(); ++k) {
    std::vector<bool> mask = _visibility(groups, static_cast<std::int64_t>(k));
    Object update{{"visible", Array(mask.begin(), mask.end())}};
    if (!traces.empty())
      for (const auto& [attribute, value] : traces[k]) update.set(attribute, value);
    Array args{std::move(update)};
    Object relayout = extra.empty() ? Object{} : extra[k];
    if (retitle) relayout.set(*axis + "axis.title.text", axisTitleFor(labels[k], base));
    if (!relayout.empty()) args.emplace_back(std::move(relayout));
    // Button labels are drawn as markup, so a state's name must not open a tag.
    buttons.emplace_back(Object{{"label", theme::escape(labels[k])}, {"method", "update"}, {"args", std::move(args)}});
  }
  Object menu{{"type", "dropdown"}, {"buttons", std::move(buttons)}, {"active", options.active}};
  return layout::control(std::move(menu), "dropdown", options.label, options.align);
}

}  // namespace tess::render
