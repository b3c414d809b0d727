// Category counts, whatever the run of codes and however many fall outside the categories.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "errors.hpp"
#include "raster/fold.hpp"

namespace {

using namespace tess::raster;

TEST(fold_test, codes_count_per_category_with_those_outside_in_none) {
  // Seven codes: counted four at a time and then one by one.
  std::vector<std::int16_t> codes{0, 2, 2, -1, 5, 2, 1};
  EXPECT_EQ(countCategories(std::span<const std::int16_t>(codes), 3), (std::vector<std::uint64_t>{1, 1, 3}));
  std::vector<std::uint8_t> run(1001, 1);
  EXPECT_EQ(countCategories(std::span<const std::uint8_t>(run), 2), (std::vector<std::uint64_t>{0, 1001}));
  EXPECT_EQ(countCategories(std::span<const std::int16_t>(), 2), (std::vector<std::uint64_t>{0, 0}));
}

TEST(fold_test, more_categories_than_counters_can_hold_are_refused) {
  std::vector<std::int8_t> codes{1};
  EXPECT_THROW(countCategories(std::span<const std::int8_t>(codes), std::numeric_limits<std::size_t>::max() / 8),
               tess::ValueError);
}

}  // namespace
