// Tooltips: constant columns as template text, numbers as one typed matrix, text as strings.
#include "render/controls/hover.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <utility>
#include <vector>

#include "errors.hpp"
#include "theme/theme.hpp"

namespace tess::render {

using figure::Array;
using figure::Object;
using figure::TypedArray;
using frame::Column;
using frame::Kind;
using frame::Name;

namespace {

template <class T>
double asDouble(T v) {
  if constexpr (std::is_same_v<T, frame::Half>) return frame::halfToDouble(v);
  else return static_cast<double>(v);
}

// ---- single values ----

// Python's format(x, ".4g"); to_chars with a precision is printf's "%.4g".
std::string general4(double x) {
  char buf[32];
  char* end = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, 4).ptr;
  return std::string(buf, end);
}

std::string cellNumber(double x) { return std::isfinite(x) ? general4(x) : "-"; }

// Decimal digits with a comma between groups of three; any other text is returned as it is.
std::string grouped(std::string_view digits) {
  std::size_t sign = !digits.empty() && digits.front() == '-' ? 1 : 0;
  std::size_t n = digits.size() - sign;
  if (n == 0 || !std::all_of(digits.begin() + static_cast<std::ptrdiff_t>(sign), digits.end(),
                              [](char c) { return c >= '0' && c <= '9'; }))
    return std::string(digits);
  std::string out(digits.substr(0, sign));
  out.reserve(digits.size() + n / 3);
  for (std::size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out += ',';
    out += digits[sign + i];
  }
  return out;
}

template <class T>
std::string groupedInt(T v) {
  if constexpr (std::is_integral_v<T> && !std::is_same_v<T, bool>) {
    char buf[24];
    return grouped(std::string_view(buf, std::to_chars(buf, buf + sizeof buf, v).ptr));
  } else {
    throw TypeError("an integer column holds no integers");
  }
}

bool isNullable(Kind kind) {
  return kind == Kind::NullableInt || kind == Kind::NullableBool || kind == Kind::NullableFloat;
}

// An object cell by what it held, which its row key tells apart: a string or other object
// shows its text, a bool 1 or 0, an int grouped digits, a float ".4g".
std::string objectCell(const Column& column, std::size_t row) {
  std::string text = column.text(row);
  if (column.isMissing(row))
    // None, NaN and NA have no value to show; NaT and the like show themselves.
    return text == "None" || text == "nan" || text == "<NA>" ? "-" : text;
  char held = column.key(row).front();
  if (held != 'i' && held != 'f') return text;
  if (text == "True" || text == "False") return text == "True" ? "1" : "0";
  if (text.find_first_not_of("-0123456789") == std::string::npos) return grouped(text);
  double x = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), x);
  return ec == std::errc() && end == text.data() + text.size() ? cellNumber(x) : text;
}

// The rows a tooltip reads, in order: every row of the frame, or those picked.
class Rows {
 public:
  explicit Rows(std::size_t n) : n_(n) {}
  explicit Rows(std::span<const std::size_t> picked) : picked_(picked), n_(picked.size()), all_(false) {}
  std::size_t size() const { return n_; }
  std::size_t operator[](std::size_t i) const { return all_ ? i : picked_[i]; }

 private:
  std::span<const std::size_t> picked_;
  std::size_t n_;
  bool all_ = true;
};

// ---- constant columns ----

template <class T>
bool sameNumber(T a, T b) {
  if constexpr (std::is_same_v<T, frame::Half>) return asDouble(a) == asDouble(b);
  else return a == b;  // -0.0 == 0.0, as pandas counts them
}

// Whether every row holds the value of the first (missing cells all alike). Stops at the
// first difference, so a varying column costs a few rows and a constant one no allocation.
bool isConstant(const Column& column, Rows rows) {
  std::size_t n = rows.size();
  if (n < 2) return true;
  std::size_t r0 = rows[0];
  bool missing0 = column.isMissing(r0);
  if (column.kind() == Kind::Text || column.kind() == Kind::Object) {
    // Object cells compare by key, where 1, 1.0 and True are one value.
    bool byKey = column.kind() == Kind::Object;
    std::string firstKey = byKey ? column.key(r0) : std::string();
    std::string_view first = column.stored(r0);
    for (std::size_t i = 1; i < n; ++i) {
      std::size_t r = rows[i];
      bool missing = column.isMissing(r);
      if (missing != missing0) return false;
      if (!missing && (byKey ? column.key(r) != firstKey : column.stored(r) != first)) return false;
    }
    return true;
  }
  std::span<const bool> mask = column.missingMask();
  bool categorical = column.kind() == Kind::Categorical;
  return frame::visit(column.values(), [&](auto values) {
    using T = typename decltype(values)::value_type;
    // isMissing's rule, inlined: this loop runs over every row of every trace.
    auto missingAt = [&](std::size_t r) {
      if (!mask.empty() && mask[r]) return true;
      if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) return categorical && values[r] < 0;
      else if constexpr (std::is_integral_v<T>) return false;
      else return std::isnan(asDouble(values[r]));
    };
    for (std::size_t i = 1; i < n; ++i) {
      std::size_t r = rows[i];
      bool missing = missingAt(r);
      if (missing != missing0) return false;
      if (!missing && !sameNumber(values[r], values[r0])) return false;
    }
    return true;
  });
}

// ---- text columns ----

std::size_t codePoints(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// Safe runs are copied whole; only '&', '<' and '>' are replaced, '&' first by construction.
void appendEscaped(std::string& out, std::string_view text) {
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '&' && c != '<' && c != '>') continue;
    out.append(text.data() + run, i - run);
    out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : "&gt;";
    run = i + 1;
  }
  out.append(text.data() + run, text.size() - run);
}

// Calls f(text) for every row's text form; a categorical column forms each
// category's text once.
template <class F>
void forEachText(const Column& column, Rows rows, F&& f) {
  if (column.kind() == Kind::Text || column.kind() == Kind::Object) {
    for (std::size_t i = 0; i < rows.size(); ++i) f(column.stored(rows[i]));
    return;
  }
  if (column.kind() != Kind::Categorical) {
    for (std::size_t i = 0; i < rows.size(); ++i) f(column.text(rows[i]));
    return;
  }
  std::vector<std::string> names = column.categories().texts();
  frame::visit(column.values(), [&](auto codes) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      auto code = static_cast<std::int64_t>(asDouble(codes[rows[i]]));
      f(code < 0 ? column.absentText() : names[static_cast<std::size_t>(code)]);
    }
  });
}

// Characters over all rows, as the length of each text form counts them, and the bytes.
std::pair<std::size_t, std::size_t> textWidth(const Column& column, Rows rows) {
  std::size_t width = 0, bytes = 0;
  forEachText(column, rows, [&](std::string_view text) {
    width += codePoints(text);
    bytes += text.size();
  });
  return {width, bytes};
}

figure::TextArray escapedTexts(const Column& column, Rows rows, std::size_t bytes) {
  std::string chars;
  std::vector<std::size_t> ends;
  chars.reserve(bytes + bytes / 16);
  ends.reserve(rows.size());
  forEachText(column, rows, [&](std::string_view text) {
    appendEscaped(chars, text);
    ends.push_back(chars.size());
  });
  return figure::TextArray(std::move(chars), std::move(ends));
}

// ---- numeric columns ----

// What carries a column's numbers exactly, narrowest first; Text when no typed array can.
enum class Carrier : std::uint8_t { I4, F4, F8, Text };

struct NumericPlan {
  std::string format;
  bool floating = false;
  Carrier exact = Carrier::I4;    // the narrowest carrier of its own
  Carrier asFloat = Carrier::F4;  // the narrowest floating carrier, for a matrix that is not int32
};

constexpr std::int64_t F4_EXACT = std::int64_t{1} << 24;  // every integer up to here is a float
constexpr std::int64_t F8_EXACT = std::int64_t{1} << 53;  // ... and up to here a double

// Integers travel as int32 when it holds them all and nothing is missing; otherwise as the
// narrowest float that holds each exactly, NaN marking the missing ones (plotly.js has no
// 64-bit integers). Beyond 2**53 no typed array shows the right number.
template <class T>
void planIntegers(std::span<const T> values, const Column& column, Rows rows, NumericPlan& plan) {
  using I = std::conditional_t<std::is_same_v<T, bool>, int, T>;
  bool masked = isNullable(column.kind()), missing = false;
  I lo = 0, hi = 0;
  bool any = false;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    std::size_t r = rows[i];
    if (masked && column.isMissing(r)) {
      missing = true;
      continue;
    }
    auto v = static_cast<I>(values[r]);
    lo = any ? std::min(lo, v) : v;
    hi = any ? std::max(hi, v) : v;
    any = true;
  }
  auto within = [&](std::int64_t limit) {
    return std::cmp_greater_equal(lo, -limit) && std::cmp_less_equal(hi, limit);
  };
  plan.asFloat = within(F4_EXACT) ? Carrier::F4 : within(F8_EXACT) ? Carrier::F8 : Carrier::Text;
  bool int32 = std::in_range<std::int32_t>(lo) && std::in_range<std::int32_t>(hi);
  plan.exact = !missing && int32 ? Carrier::I4 : plan.asFloat;
}

NumericPlan planOf(const Column& column, Rows rows) {
  NumericPlan plan;
  switch (column.kind()) {
    case Kind::Float:
    case Kind::NullableFloat: return NumericPlan{".4g", true, Carrier::F4, Carrier::F4};
    case Kind::Bool:
    case Kind::NullableBool: plan.format = "d"; break;
    case Kind::Int:
    case Kind::NullableInt: plan.format = ",d"; break;
    default: throw TypeError("a " + std::string(frame::kindName(column.kind())) + " column is not numeric");
  }
  frame::visit(column.values(), [&](auto values) {
    using T = typename decltype(values)::value_type;
    if constexpr (std::is_integral_v<T>) planIntegers(values, column, rows, plan);
    else throw TypeError("an integer column holds floats");
  });
  return plan;
}

// Integer formats everywhere and int32 for all; else the widest floating need. Floats
// among the columns make the matrix float32, shown at four digits throughout.
Carrier matrixCarrier(std::span<const NumericPlan> plans) {
  if (std::any_of(plans.begin(), plans.end(), [](const NumericPlan& p) { return p.floating; })) return Carrier::F4;
  if (std::all_of(plans.begin(), plans.end(), [](const NumericPlan& p) { return p.exact == Carrier::I4; }))
    return Carrier::I4;
  Carrier widest = Carrier::F4;
  for (const NumericPlan& p : plans) widest = std::max(widest, p.asFloat);
  return widest;
}

// One column's rows into every stride-th element of out, missing cells NaN.
template <class Out>
void fillColumn(const Column& column, Rows rows, Out* out, std::size_t stride) {
  bool masked = isNullable(column.kind());
  frame::visit(column.values(), [&](auto values) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      std::size_t r = rows[i];
      if constexpr (std::is_floating_point_v<Out>) {
        if (masked && column.isMissing(r)) {
          out[i * stride] = std::numeric_limits<Out>::quiet_NaN();
          continue;
        }
      }
      out[i * stride] = static_cast<Out>(asDouble(values[r]));
    }
  });
}

template <class Out>
TypedArray stackedAs(std::span<const Column* const> columns, Rows rows, TypedArray::Shape shape) {
  std::size_t k = columns.size();
  std::vector<Out> out(rows.size() * k);
  for (std::size_t j = 0; j < k; ++j) fillColumn(*columns[j], rows, out.data() + j, k);
  return TypedArray::of(std::move(out), std::move(shape));
}

// The columns' rows side by side, row-major.
TypedArray stacked(std::span<const Column* const> columns, Rows rows, Carrier carrier, TypedArray::Shape shape) {
  switch (carrier) {
    case Carrier::I4: return stackedAs<std::int32_t>(columns, rows, std::move(shape));
    case Carrier::F4: return stackedAs<float>(columns, rows, std::move(shape));
    default: return stackedAs<double>(columns, rows, std::move(shape));
  }
}

// A cell of the string matrix: floats ".4g" with nan and inf spelled out, others their
// text form; escaped, since plotly.js renders substituted values as markup.
std::string matrixCell(const Column& column, std::size_t row) {
  bool floating = column.kind() == Kind::Float || column.kind() == Kind::NullableFloat;
  if (!floating || (column.kind() == Kind::NullableFloat && column.isMissing(row)))
    return escapeValue(column.text(row));
  double x = column.values().at(row);
  if (std::isnan(x)) return "nan";
  if (std::isinf(x)) return x > 0 ? "inf" : "-inf";
  return general4(x);
}

Array stringMatrix(std::span<const Column* const> columns, Rows rows) {
  Array out;
  out.reserve(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    Array row;
    row.reserve(columns.size());
    for (const Column* column : columns) row.emplace_back(matrixCell(*column, rows[i]));
    out.emplace_back(std::move(row));
  }
  return out;
}

// ---- the template ----

std::string line(const Name& name, std::string_view value) { return hoverLine(name.text, value); }

struct Named {
  const Name* name;
  const Column* column;
};

// Fills customdata from the columns beside `text`, and their template lines.
void addCustomdata(Hover& hover, const std::vector<Named>& rest, Rows rows) {
  std::vector<const Column*> columns;
  for (const Named& c : rest) columns.push_back(c.column);
  bool numeric = std::all_of(columns.begin(), columns.end(), [](const Column* c) { return c->isNumeric(); });
  if (numeric) {
    std::vector<NumericPlan> plans;
    for (const Column* c : columns) plans.push_back(planOf(*c, rows));
    Carrier carrier = matrixCarrier(plans);
    if (carrier != Carrier::Text) {
      hover.customdata = stacked(columns, rows, carrier, {rows.size(), columns.size()});
      // Integers beside floats are shown like the floats.
      bool floats = std::any_of(plans.begin(), plans.end(), [](const NumericPlan& p) { return p.floating; });
      for (std::size_t i = 0; i < rest.size(); ++i) {
        std::string format = floats ? ".4g" : plans[i].format;
        hover.template_ += line(*rest[i].name, "%{customdata[" + std::to_string(i) + "]:" + format + "}");
      }
      return;
    }
  }
  hover.customdata = stringMatrix(columns, rows);
  for (std::size_t i = 0; i < rest.size(); ++i)
    hover.template_ += line(*rest[i].name, "%{customdata[" + std::to_string(i) + "]}");
}

}  // namespace

std::string withThousands(std::int64_t n) { return groupedInt(n); }

std::string escapeValue(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  appendEscaped(out, text);
  return out;
}

std::string hoverLine(std::string_view name, std::string_view value) {
  return theme::escape(name) + ": " + std::string(value) + "<br>";
}

Object withHover(Object trace, const Hover& hover) {
  for (auto& [key, value] : hover.trace()) {
    if (trace.contains(key)) throw TypeError("a tooltip attribute collides with a trace attribute: " + key);
    trace.set(key, value);
  }
  return trace;
}

Object Hover::trace() const {
  Object out{{"hovertemplate", template_ + "<extra></extra>"}};
  if (customdata) out.set("customdata", *customdata);
  if (text) out.set("text", *text);
  return out;
}

bool _isNumericColumn(const Column& values) { return values.isNumeric(); }

std::string _formatCell(const Column& column, std::size_t row) {
  switch (column.kind()) {
    case Kind::Float:
    case Kind::NullableFloat: return column.isMissing(row) ? "-" : cellNumber(column.values().at(row));
    case Kind::Int:
    case Kind::NullableInt:
      if (column.isMissing(row)) return "-";
      return frame::visit(column.values(), [row](auto values) { return groupedInt(values[row]); });
    case Kind::Categorical: {
      auto code = static_cast<std::int64_t>(column.values().at(row));
      return code < 0 ? "-" : _formatCell(column.categories(), static_cast<std::size_t>(code));
    }
    case Kind::Object: return objectCell(column, row);
    default: return column.isMissing(row) ? "-" : column.text(row);  // text, numpy and nullable booleans
  }
}

std::pair<TypedArray, std::string> _numericFormat(const Column& values) {
  Rows rows(values.size());
  NumericPlan plan = planOf(values, rows);
  // Alone, integers beyond a double's exact range still travel as doubles, the nearest
  // they can be; _hoverColumns ships such columns as text instead.
  Carrier carrier = std::min(plan.exact, Carrier::F8);
  const Column* column = &values;
  return {stacked(std::span(&column, 1), rows, carrier, {values.size()}), plan.format};
}

namespace {

Hover hoverOf(const frame::Frame& frame, std::span<const Name> columns, Rows rows) {
  Hover hover;
  std::vector<Named> varying;
  for (const Name& name : columns) {
    if (!frame.contains(name)) continue;
    const Column& column = frame.column(name);
    if (!isConstant(column, rows)) varying.push_back({&name, &column});
    else hover.template_ += line(name, rows.size() ? theme::escape(_formatCell(column, rows[0])) : "-");
  }
  if (varying.empty()) return hover;

  const Named* widest = nullptr;
  std::pair<std::size_t, std::size_t> widestWidth;
  for (const Named& c : varying) {
    if (c.column->isNumeric()) continue;
    auto width = textWidth(*c.column, rows);
    if (!widest || width.first > widestWidth.first) {
      widest = &c;
      widestWidth = width;
    }
  }
  std::vector<Named> rest;
  if (widest) {
    hover.text = escapedTexts(*widest->column, rows, widestWidth.second);
    hover.template_ += line(*widest->name, "%{text}");
    for (const Named& c : varying)
      if (*c.name != *widest->name) rest.push_back(c);
  } else {
    rest = varying;
  }
  if (!rest.empty()) addCustomdata(hover, rest, rows);
  return hover;
}

}  // namespace

Hover _hoverColumns(const frame::Frame& frame, std::span<const Name> columns) {
  return hoverOf(frame, columns, Rows(frame.rows()));
}

Hover _hoverColumns(const frame::Frame& frame, std::span<const Name> columns, std::span<const std::size_t> rows) {
  for (std::size_t r : rows)
    if (r >= frame.rows())
      throw IndexError("row " + std::to_string(r) + " out of range for " + std::to_string(frame.rows()));
  return hoverOf(frame, columns, Rows(rows));
}

}  // namespace tess::render
