// The JSON writer: one pass, no intermediate strings for arrays.
#include "figure/json.hpp"

#include <charconv>
#include <cmath>

namespace tess::figure {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

void appendBase64(std::string& out, const std::byte* data, std::size_t size) {
  std::size_t start = out.size();
  out.resize(start + base64Size(size));
  base64To(out.data() + start, data, size);
}

}  // namespace

std::size_t base64Size(std::size_t size) { return (size + 2) / 3 * 4; }

void base64To(char* o, const std::byte* data, std::size_t size) {
  const auto* in = reinterpret_cast<const unsigned char*>(data);
  std::size_t i = 0;
  for (; i + 3 <= size; i += 3) {
    unsigned v = (in[i] << 16) | (in[i + 1] << 8) | in[i + 2];
    *o++ = kAlphabet[(v >> 18) & 63];
    *o++ = kAlphabet[(v >> 12) & 63];
    *o++ = kAlphabet[(v >> 6) & 63];
    *o++ = kAlphabet[v & 63];
  }
  if (i < size) {
    unsigned v = in[i] << 16;
    if (i + 1 < size) v |= in[i + 1] << 8;
    *o++ = kAlphabet[(v >> 18) & 63];
    *o++ = kAlphabet[(v >> 12) & 63];
    *o++ = i + 1 < size ? kAlphabet[(v >> 6) & 63] : '=';
    *o++ = '=';
  }
}

namespace {

void appendHex4(std::string& out, unsigned code) {
  constexpr char hex[] = "0123456789abcdef";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += hex[(code >> shift) & 15];
}

// Length of the valid UTF-8 sequence at s[i], 0 when the bytes there are not one.
std::size_t utf8Length(std::string_view s, std::size_t i) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char c = byte(i);
  std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  if (n == 2 && c < 0xC2) return 0;                            // overlong
  if (n == 3 && c == 0xE0 && byte(i + 1) < 0xA0) return 0;     // overlong
  if (n == 3 && c == 0xED && byte(i + 1) >= 0xA0) return 0;    // surrogate
  if (n == 4 && (c > 0xF4 || (c == 0xF0 && byte(i + 1) < 0x90) || (c == 0xF4 && byte(i + 1) >= 0x90)))
    return 0;
  return n;
}

void appendString(std::string& out, std::string_view s) {
  out += '"';
  for (std::size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == '"') out += "\\\"";
    else if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c == '\r') out += "\\r";
    else if (c < 0x20 || c == '<') appendHex4(out, c);
    if (c < 0x80) {
      if (c >= 0x20 && c != '"' && c != '\\' && c != '<') out += static_cast<char>(c);
      ++i;
      continue;
    }
    std::size_t n = utf8Length(s, i);
    if (n == 0) {
      out += "\xEF\xBF\xBD";  // a stray byte becomes U+FFFD, so the output stays valid UTF-8
      ++i;
    } else if (n == 3 && c == 0xE2 && s[i + 1] == '\x80' && (s[i + 2] == '\xA8' || s[i + 2] == '\xA9')) {
      appendHex4(out, s[i + 2] == '\xA8' ? 0x2028 : 0x2029);
      i += 3;
    } else {
      out.append(s.substr(i, n));
      i += n;
    }
  }
  out += '"';
}

// The shortest text that reads back as the same number; a whole number keeps a ".0" for
// readers that tell 1 from 1.0. float32 values get their own shortest form.
template <class Float>
void appendShortest(std::string& out, Float d) {
  if (!std::isfinite(d)) {
    out += "null";
    return;
  }
  char buf[32];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, d);
  std::string_view text(buf, static_cast<std::size_t>(end - buf));
  out += text;
  if (text.find_first_of(".e") == std::string_view::npos) out += ".0";
}

void appendDouble(std::string& out, double d) { appendShortest(out, d); }

void appendShape(std::string& out, const TypedArray::Shape& shape) {
  out += ",\"shape\":\"";
  out += shapeText(shape);
  out += '"';
}

void appendTyped(std::string& out, const TypedArray& t) {
  // plotly writes an empty array as a plain list.
  if (t.size() == 0) {
    out += "[]";
    return;
  }
  out += "{\"dtype\":\"";
  out += dtypeCode(t.dtype());
  out += "\",\"bdata\":\"";
  appendBase64(out, t.data(), t.bytes());
  out += '"';
  if (t.ndim() > 1) appendShape(out, t.shape());
  out += '}';
}

// plotly encodes an array as base64 only where it is a property's value: not inside a
// list, and not under the keys its encoder skips.
bool encodesUnder(std::string_view key) {
  return key != "geojson" && key != "layer" && key != "layers" && key != "range";
}

void appendTypedAsList(std::string& out, const TypedArray& t) {
  const auto& shape = t.shape();
  std::size_t index = 0;
  auto rows = [&](auto&& self, std::size_t dim) -> void {
    out += '[';
    for (std::size_t i = 0; i < shape[dim]; ++i) {
      if (i) out += ',';
      if (dim + 1 < shape.size()) {
        self(self, dim + 1);
        continue;
      }
      double v = t.at(index++);
      if (t.dtype() == DType::F4) appendShortest(out, static_cast<float>(v));
      else if (t.dtype() == DType::F8) appendDouble(out, v);
      else out += std::to_string(static_cast<std::int64_t>(v));
    }
    out += ']';
  };
  rows(rows, 0);
}

// Where a value stands decides whether its typed arrays are encoded.
enum class Place { Property, ListItem, Skipped };

void append(std::string& out, const Value& value, Place place = Place::Property) {
  std::visit(
      [&](const auto& x) {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          out += "null";
        } else if constexpr (std::is_same_v<T, bool>) {
          out += x ? "true" : "false";
        } else if constexpr (std::is_same_v<T, std::int64_t> || std::is_same_v<T, std::uint64_t>) {
          out += std::to_string(x);
        } else if constexpr (std::is_same_v<T, double>) {
          appendDouble(out, x);
        } else if constexpr (std::is_same_v<T, std::string>) {
          appendString(out, x);
        } else if constexpr (std::is_same_v<T, Array>) {
          out += '[';
          for (std::size_t i = 0; i < x.size(); ++i) {
            if (i) out += ',';
            append(out, x[i], place == Place::Skipped ? Place::Skipped : Place::ListItem);
          }
          out += ']';
        } else if constexpr (std::is_same_v<T, Object>) {
          out += '{';
          bool first = true;
          for (const auto& [key, item] : x) {
            if (!first) out += ',';
            first = false;
            appendString(out, key);
            out += ':';
            append(out, item, place == Place::Skipped || !encodesUnder(key) ? Place::Skipped : Place::Property);
          }
          out += '}';
        } else if constexpr (std::is_same_v<T, TextArray>) {
          // A matrix is a list of rows.
          std::size_t columns = x.columns();
          out += '[';
          for (std::size_t i = 0; i < x.size(); ++i) {
            if (i) out += ',';
            if (columns && i % columns == 0) out += '[';
            appendString(out, x[i]);
            if (columns && i % columns == columns - 1) out += ']';
          }
          out += ']';
        } else if (place == Place::Property || x.isRecord()) {
          appendTyped(out, x);
        } else {
          appendTypedAsList(out, x);
        }
      },
      value.storage());
}

}  // namespace

std::string shapeText(const TypedArray::Shape& shape) {
  std::string out;
  for (std::size_t i = 0; i < shape.size(); ++i) out += (i ? ", " : "") + std::to_string(shape[i]);
  return out;
}

std::string base64(const std::byte* data, std::size_t size) {
  std::string out;
  appendBase64(out, data, size);
  return out;
}

std::string toJson(const Value& value) {
  std::string out;
  append(out, value);
  return out;
}

std::string toJson(const Figure& figure) {
  std::string out = "{\"data\":[";
  for (std::size_t i = 0; i < figure.data.size(); ++i) {
    if (i) out += ',';
    append(out, figure.data[i]);
  }
  out += "],\"layout\":";
  append(out, Value(figure.layout));
  out += '}';
  return out;
}

}  // namespace tess::figure
