// Escaping of user text for plotly's markup and hover templates.
#include "theme/theme.hpp"

namespace tess::theme {

std::string escape(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      // Every '%', not only "%{": a lone '%' is harmless, but a text cut or joined later
      // could still meet a '{', and plotly.js shows "&#37;" as '%' wherever it draws text.
      case '%': out += "&#37;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace tess::theme
