// escape(): user text never becomes markup or a hover placeholder.
#include <gtest/gtest.h>

#include "theme/theme.hpp"

namespace {

using tess::theme::escape;

// tests/python/test_theme.py holds escape() to these rules over arbitrary text.
TEST(escape_test, markup_entities_and_placeholders_show_as_typed) {
  EXPECT_EQ(escape("<b>A</b> & B"), "&lt;b&gt;A&lt;/b&gt; &amp; B");
  EXPECT_EQ(escape("&amp; &#37;"), "&amp;amp; &amp;#37;");
  EXPECT_EQ(escape("%%{y:.2f} 50%"), "&#37;&#37;{y:.2f} 50&#37;");
  // A trailing '%' cannot pair with a '{' that a caller appends later.
  EXPECT_EQ(escape("%") + "{x}", "&#37;{x}");
  std::string kept = "it's \"q\"\nnext\t\u03b1 \u7d30\u80de \U0001F52C e\u0301" + std::string("\0end", 4);
  EXPECT_EQ(escape(kept), kept);
  EXPECT_EQ(escape(""), "");
}

}  // namespace
