#include "parallel.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace tess {
namespace {

TEST(ParallelForTest, RunsEveryJobOnceWhateverTheThreads) {
  for (std::size_t threads : {0u, 1u, 3u, 64u}) {
    std::vector<int> runs(1000);
    parallelFor(runs.size(), [&](std::size_t i) { ++runs[i]; }, threads);
    EXPECT_EQ(std::count(runs.begin(), runs.end(), 1), 1000);
  }
  parallelFor(0, [](std::size_t) { FAIL(); });
}

TEST(ParallelForTest, RethrowsTheLowestFailingJobAfterAllRan) {
  std::vector<int> runs(200);
  try {
    parallelFor(runs.size(), [&](std::size_t i) {
      ++runs[i];
      if (i % 50 == 7) throw std::runtime_error(std::to_string(i));
    });
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "7");
  }
  EXPECT_EQ(std::count(runs.begin(), runs.end(), 1), 200);
}

}  // namespace
}  // namespace tess
