// Window bounds and binning against a brute-force count.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <tuple>
#include <vector>

#include "errors.hpp"
#include "raster/bin.hpp"

namespace {

using namespace tess::raster;

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

// A dyadic window: bin edges are exact in binary, so the brute force can compare
// against edges instead of repeating the binning formula.
constexpr Window WIN{-2, 6, -1, 3};
constexpr Shape SHAPE{8, 16};  // bins 0.5 wide and 0.5 tall

// The bin holding v: the one whose [edge, next edge) contains it, the last one also
// taking the window's upper bound; -1 outside.
long brute(double v, double lo, double hi, std::size_t n) {
  if (!(v >= lo && v <= hi)) return -1;
  for (std::size_t k = 0; k < n; ++k) {
    double next = lo + (hi - lo) * double(k + 1) / double(n);
    if (v < next || k + 1 == n) return long(k);
  }
  return -1;
}

template <class T, class C>
struct Cloud {
  std::vector<T> x, y;
  std::vector<C> codes;
};

// Random points around and beyond the window, with points on every kind of edge (each edge
// belongs to the bin above it, the upper bound to the last bin), NaNs, infinities and codes
// out of range.
template <class T, class C>
Cloud<T, C> cloud(std::size_t n, int nCategories, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> ux(-3, 7), uy(-2, 4);
  std::uniform_int_distribution<int> code(-2, nCategories + 1);
  std::uniform_int_distribution<int> edge(0, 16);
  const double special[] = {WIN.x0, WIN.x1, WIN.y0, WIN.y1, 0.5, NaN, Inf, -Inf,
                            std::nextafter(WIN.x1, Inf), std::nextafter(WIN.x0, -Inf), std::nextafter(WIN.x1, -Inf)};
  Cloud<T, C> c;
  for (std::size_t i = 0; i < n; ++i) {
    double x = ux(rng), y = uy(rng);
    if (i % 7 == 0) x = special[i / 7 % std::size(special)];
    if (i % 11 == 0) y = special[i / 11 % std::size(special)];
    if (i % 13 == 0) x = WIN.x0 + 0.5 * edge(rng);  // on an interior edge
    if (i % 17 == 0) y = WIN.y1;
    c.x.push_back(static_cast<T>(x));
    c.y.push_back(static_cast<T>(y));
    int k = code(rng);
    if constexpr (std::is_unsigned_v<C>) k = k < 0 ? nCategories + 5 : k;
    c.codes.push_back(static_cast<C>(k));
  }
  return c;
}

template <class T, class C>
void expectBruteForce(int nCategories, unsigned seed) {
  Cloud<T, C> c = cloud<T, C>(20000, nCategories, seed);
  Points<T> points{c.x, c.y, std::span<const C>(c.codes)};
  Grid grid = binPoints(points, std::size_t(nCategories), WIN, SHAPE);
  std::size_t channels = std::max(nCategories, 1);
  ASSERT_EQ(grid.counts.size(), SHAPE.rows * SHAPE.cols * channels);
  std::map<std::tuple<long, long, long>, std::uint32_t> expected;
  for (std::size_t i = 0; i < c.x.size(); ++i) {
    long col = brute(c.x[i], WIN.x0, WIN.x1, SHAPE.cols), row = brute(c.y[i], WIN.y0, WIN.y1, SHAPE.rows);
    long k = nCategories == 0 ? 0 : long(c.codes[i]);
    if (col < 0 || row < 0 || k < 0 || k >= long(channels)) continue;
    ++expected[{row, col, k}];
  }
  std::size_t total = 0;
  for (std::size_t r = 0; r < SHAPE.rows; ++r)
    for (std::size_t col = 0; col < SHAPE.cols; ++col)
      for (std::size_t k = 0; k < channels; ++k) {
        std::uint32_t want = expected.count({r, col, k}) ? expected[{r, col, k}] : 0;
        ASSERT_EQ(grid.at(r, col, k), want) << "row " << r << " col " << col << " channel " << k;
        total += want;
      }
  EXPECT_GT(total, 1000u);  // not vacuous
}

TEST(bin_test, counts_match_a_brute_force_count_for_every_input_type) {
  expectBruteForce<double, std::int8_t>(5, 1);
  expectBruteForce<float, std::int8_t>(5, 2);
  expectBruteForce<double, std::int64_t>(20, 3);
  expectBruteForce<float, std::uint16_t>(3, 4);
  expectBruteForce<double, std::uint64_t>(1, 5);
  expectBruteForce<double, std::int32_t>(0, 6);  // codes ignored: every point in one channel
}

TEST(bin_test, empty_input_gives_an_empty_grid_of_the_right_shape) {
  Grid g = binPoints(Points<double>{{}, {}, std::span<const std::int8_t>()}, 3, WIN, {2, 5});
  EXPECT_EQ(std::vector<std::size_t>({g.rows, g.cols, g.channels}), std::vector<std::size_t>({2, 5, 3}));
  EXPECT_EQ(std::vector<std::uint32_t>(g.counts.begin(), g.counts.end()), std::vector<std::uint32_t>(30, 0));
}

TEST(bin_test, bad_input_is_a_value_error) {
  std::vector<double> two{0, 1}, one{0};
  std::vector<std::int8_t> codes{0};
  auto bin = [&](const Points<double>& p, std::size_t k, Window w, Shape s) { return binPoints(p, k, w, s); };
  EXPECT_THROW(bin({two, one, {}}, 0, WIN, SHAPE), tess::ValueError);
  EXPECT_THROW(bin({two, two, std::span<const std::int8_t>(codes)}, 1, WIN, SHAPE), tess::ValueError);
  EXPECT_THROW(bin({two, two, {}}, 2, WIN, SHAPE), tess::ValueError);
  for (Window w : {Window{0, 0, 0, 1}, Window{1, 0, 0, 1}, Window{0, 1, NaN, 1}, Window{0, Inf, 0, 1},
                   Window{-1e308, 1e308, 0, 1}, Window{0, 1e-320, 0, 1}})
    EXPECT_THROW(bin({two, two, {}}, 0, w, SHAPE), tess::ValueError) << w.x0 << " " << w.x1;
  for (Shape s : {Shape{0, 4}, Shape{4, 0}, Shape{MAX_SIDE + 1, 4}})
    EXPECT_THROW(bin({two, two, {}}, 0, WIN, s), tess::ValueError);
  EXPECT_THROW(bin({two, two, std::span<const std::int8_t>(codes)}, 1000, WIN, {MAX_SIDE, MAX_SIDE}),
               tess::ValueError);
}

TEST(bin_test, bounds_pad_the_finite_points_and_ignore_the_rest) {
  std::vector<double> x{0, 10, NaN, 5, 100}, y{-4, 4, 50, Inf, NaN};
  Window w = bounds(std::span<const double>(x), std::span<const double>(y));
  EXPECT_NEAR(w.x0, -0.05, 1e-12);
  EXPECT_NEAR(w.x1, 10.05, 1e-12);
  EXPECT_NEAR(w.y0, -4.04, 1e-12);
  EXPECT_NEAR(w.y1, 4.04, 1e-12);
  std::vector<float> xf{0, 10}, yf{-4, 4};
  EXPECT_EQ(bounds(std::span<const float>(xf), std::span<const float>(yf)), w);
}

TEST(bin_test, bounds_widen_degenerate_spans) {
  auto of = [](std::vector<double> x, std::vector<double> y) {
    return bounds(std::span<const double>(x), std::span<const double>(y));
  };
  EXPECT_EQ(of({}, {}), (Window{0, 1, 0, 1}));
  EXPECT_EQ(of({NaN}, {1}), (Window{0, 1, 0, 1}));
  // A horizontal line borrows the x span, so the window stays square around it.
  Window line = of({0, 10}, {3, 3});
  EXPECT_DOUBLE_EQ(line.y0, 3 - 5.05);
  EXPECT_DOUBLE_EQ(line.y1, 3 + 5.05);
  Window point = of({2}, {1e6});
  EXPECT_DOUBLE_EQ(point.x0, 2 - 0.505);
  EXPECT_DOUBLE_EQ(point.y1, 1e6 + 1e4 * 1.01);
  // Far from zero a borrowed span must still be wide enough to tell its bounds apart.
  Window far = of({9007200328482816.0, 9007200328482816.0}, {0, 1});
  EXPECT_LT(far.x0, 9007200328482816.0);
  EXPECT_GT(far.x1, 9007200328482816.0);
  EXPECT_NO_THROW(checkWindow(far, {MAX_SIDE, MAX_SIDE}));
  Window huge = of({1e300, 1e300}, {-1e300, -1e300});
  EXPECT_LT(huge.x0, 1e300);
  EXPECT_GT(huge.x1, 1e300);
}

TEST(bin_test, bounds_reject_unequal_lengths_and_overflowing_spans) {
  std::vector<double> two{0, 1}, one{0}, wide{-1.7e308, 1.7e308};
  EXPECT_THROW(bounds(std::span<const double>(two), std::span<const double>(one)), tess::ValueError);
  EXPECT_THROW(bounds(std::span<const double>(wide), std::span<const double>(two)), tess::ValueError);
}

}  // namespace
