// escape(): user text never becomes markup or a hover placeholder.
#include <gtest/gtest.h>

#include "theme/theme.hpp"

namespace {

using tess::theme::escape;

TEST(escape_test, markup_and_typed_entities_show_as_typed) {
  EXPECT_EQ(escape("<b>A</b> & B"), "&lt;b&gt;A&lt;/b&gt; &amp; B");
  EXPECT_EQ(escape("&amp; &#37;"), "&amp;amp; &amp;#37;");
}

TEST(escape_test, no_placeholder_survives) {
  EXPECT_EQ(escape("%{x}"), "&#37;{x}");
  EXPECT_EQ(escape("%%{y:.2f} 50%"), "&#37;&#37;{y:.2f} 50&#37;");
  // A trailing '%' cannot pair with a '{' that a caller appends later.
  EXPECT_EQ(escape("%") + "{x}", "&#37;{x}");
}

TEST(escape_test, everything_else_is_untouched) {
  std::string kept = "it's \"q\"\nnext\t\u03b1 \u7d30\u80de \U0001F52C e\u0301" + std::string("\0end", 4);
  EXPECT_EQ(escape(kept), kept);
  EXPECT_EQ(escape(""), "");
  EXPECT_EQ(escape("\u00b5m<\u00b5m"), "\u00b5m&lt;\u00b5m");
}

}  // namespace
