// Counter arrays: zeroed whatever their size, and moved rather than copied.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "raster/counts.hpp"

namespace {

using tess::raster::Counts;

TEST(counts_test, small_and_huge_page_arrays_start_at_zero_and_are_writable) {
  for (std::size_t n : {std::size_t{0}, std::size_t{7}, std::size_t{3} << 20}) {
    Counts c(n);
    ASSERT_EQ(c.size(), n);
    EXPECT_TRUE(std::all_of(c.begin(), c.end(), [](std::uint32_t v) { return v == 0; })) << n;
    if (n > 0) {
      c[0] = 1, c[n - 1] = 2;
      EXPECT_EQ(c[0] + c[n - 1], 3u);
    }
  }
}

TEST(counts_test, moving_hands_over_the_memory) {
  Counts a(std::size_t{1} << 20);
  a[5] = 9;
  const std::uint32_t* memory = a.data();
  Counts b(std::move(a));
  EXPECT_EQ(b.data(), memory);
  EXPECT_EQ(b[5], 9u);
  EXPECT_EQ(a.size(), 0u);
  Counts c(3);
  c = std::move(b);
  EXPECT_EQ(c.data(), memory);
  EXPECT_EQ(b.data(), nullptr);
}

}  // namespace
