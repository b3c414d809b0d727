// Tag stripping and entity decoding in one pass.
#include "layout/markup.hpp"

#include <array>
#include <charconv>

namespace tess::layout {

namespace {

struct Entity {
  std::string_view name;
  std::string_view text;
};

// The named entities plotly's text renderer decodes; others stay as typed.
constexpr std::array<Entity, 8> kEntities = {{{"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"nbsp", "\xC2\xA0"},
                                              {"mu", "\xCE\xBC"}, {"times", "\xC3\x97"},
                                              {"plusmn", "\xC2\xB1"}, {"deg", "\xC2\xB0"}}};

void appendUtf8(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Decodes the entity whose body (between '&' and ';') is `body`; false when it is not one.
bool decode(std::string_view body, std::string& out) {
  if (body.size() > 1 && body[0] == '#') {
    bool hex = body[1] == 'x' || body[1] == 'X';
    std::string_view digits = body.substr(hex ? 2 : 1);
    unsigned code = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
    if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty() || code > 0x10FFFF ||
        (code >= 0xD800 && code < 0xE000))
      return false;
    appendUtf8(out, code);
    return true;
  }
  for (const Entity& e : kEntities) {
    if (e.name == body) {
      out += e.text;
      return true;
    }
  }
  return false;
}

}  // namespace

std::string plainText(std::string_view markup) {
  std::string out;
  out.reserve(markup.size());
  for (std::size_t i = 0; i < markup.size(); ++i) {
    char c = markup[i];
    if (c == '<') {
      std::size_t close = markup.find('>', i);
      if (close != std::string_view::npos) {
        std::string_view tag = markup.substr(i + 1, close - i - 1);
        if (tag == "br" || tag.rfind("br ", 0) == 0) out += ' ';
        i = close;
        continue;
      }
    } else if (c == '&') {
      std::size_t semi = markup.find(';', i);
      if (semi != std::string_view::npos && semi - i <= 10 && decode(markup.substr(i + 1, semi - i - 1), out)) {
        i = semi;
        continue;
      }
    }
    out += c;
  }
  return out;
}

}  // namespace tess::layout
