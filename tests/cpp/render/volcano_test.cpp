// Volcano codes, and the index column tooltips name rows by (the figure itself:
// tests/python/test_volcano.py).
#include "render/families/volcano.hpp"

#include <gtest/gtest.h>

#include "errors.hpp"
#include "render/families/common/table.hpp"

namespace tess::render {
namespace {

using frame::Buffer;
using frame::Column;

TEST(VolcanoTest, CodesOfColumnsOfOtherLengthsAreRefused) {
  EXPECT_THROW(_volcanoCodes(std::vector<double>{1.0, 2.0}, std::vector<double>{0.01}, 0.05, 1.0), ValueError);
}

TEST(VolcanoTest, TheIndexColumnReplacesOneOfItsNameAtTheEnd) {
  frame::Frame frame({"feature", "n"},
                     {Column::strings({"old", "older"}), Column::numbers(Buffer::of(std::vector<double>{1, 2}))},
                     Column::strings({"a<b", "c"}));
  frame::Frame out = withIndexColumn(frame, "feature");
  ASSERT_EQ(out.names(), (std::vector<frame::Name>{"n", "feature"}));
  EXPECT_EQ(out.text("feature", 0), "a<b");
  EXPECT_EQ(out.rows(), 2u);
}

}  // namespace
}  // namespace tess::render
