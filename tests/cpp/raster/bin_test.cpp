// Window bounds and binning against a brute-force count.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "errors.hpp"
#include "raster/bin.hpp"

namespace {

using namespace tess::raster;

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

// A dyadic window: bin edges are exact in binary, so the brute force compares against edges.
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

// Random points around and beyond the window, with points on every kind of edge (each edge belongs
// to the bin above it, the upper bound to the last bin), NaNs, infinities and codes out of range,
// binned and counted against the brute force.
template <class T, class C>
void expectBruteForce(int nCategories, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> ux(-3, 7), uy(-2, 4);
  std::uniform_int_distribution<int> code(-2, nCategories + 1), edge(0, 16);
  const double special[] = {WIN.x0, WIN.x1, WIN.y0, WIN.y1, 0.5, NaN, Inf, -Inf,
                            std::nextafter(WIN.x1, Inf), std::nextafter(WIN.x0, -Inf), std::nextafter(WIN.x1, -Inf)};
  std::vector<T> xs, ys;
  std::vector<C> codes;
  std::size_t channels = std::max(nCategories, 1);
  std::vector<std::uint32_t> want(SHAPE.rows * SHAPE.cols * channels, 0);
  for (std::size_t i = 0; i < 20000; ++i) {
    double x = ux(rng), y = uy(rng);
    if (i % 7 == 0) x = special[i / 7 % std::size(special)];
    if (i % 11 == 0) y = special[i / 11 % std::size(special)];
    if (i % 13 == 0) x = WIN.x0 + 0.5 * edge(rng);  // on an interior edge
    if (i % 17 == 0) y = WIN.y1;
    int k = code(rng);
    if constexpr (std::is_unsigned_v<C>) k = k < 0 ? nCategories + 5 : k;
    xs.push_back(static_cast<T>(x)), ys.push_back(static_cast<T>(y)), codes.push_back(static_cast<C>(k));
    long col = brute(xs.back(), WIN.x0, WIN.x1, SHAPE.cols), row = brute(ys.back(), WIN.y0, WIN.y1, SHAPE.rows);
    long channel = nCategories == 0 ? 0 : long(codes.back());
    if (col >= 0 && row >= 0 && channel >= 0 && channel < long(channels))
      ++want[(std::size_t(row) * SHAPE.cols + std::size_t(col)) * channels + std::size_t(channel)];
  }
  Grid grid = binPoints(Points<T>{xs, ys, std::span<const C>(codes)}, std::size_t(nCategories), WIN, SHAPE);
  EXPECT_EQ(std::vector<std::uint32_t>(grid.counts.begin(), grid.counts.end()), want);  // row, column, channel
  std::size_t total = 0;
  for (std::uint32_t n : want) total += n;
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

TEST(bin_test, empty_input_gives_an_empty_grid_and_bad_input_a_value_error) {
  Grid g = binPoints(Points<double>{{}, {}, std::span<const std::int8_t>()}, 3, WIN, {2, 5});
  EXPECT_EQ(std::vector<std::size_t>({g.rows, g.cols, g.channels, g.counts.size()}),
            std::vector<std::size_t>({2, 5, 3, 30}));
  std::vector<double> two{0, 1}, one{0}, wide{-1.7e308, 1.7e308};
  auto bin = [&](const Points<double>& p, std::size_t k, Window w, Shape s) { return binPoints(p, k, w, s); };
  EXPECT_THROW(bin({two, one, {}}, 0, WIN, SHAPE), tess::ValueError);
  EXPECT_THROW(bin({two, two, {}}, 2, WIN, SHAPE), tess::ValueError);  // categories without codes
  for (Window w : {Window{1, 0, 0, 1}, Window{0, 1, NaN, 1}, Window{-1e308, 1e308, 0, 1}, Window{0, 1e-320, 0, 1}})
    EXPECT_THROW(bin({two, two, {}}, 0, w, SHAPE), tess::ValueError) << w.x0 << " " << w.x1;
  EXPECT_THROW(bin({two, two, {}}, 0, WIN, Shape{MAX_SIDE + 1, 4}), tess::ValueError);
  EXPECT_THROW(bounds(std::span<const double>(wide), std::span<const double>(two)), tess::ValueError);
}

TEST(bin_test, bounds_pad_the_finite_points_and_widen_degenerate_spans) {
  auto of = [](std::vector<double> x, std::vector<double> y) {
    return bounds(std::span<const double>(x), std::span<const double>(y));
  };
  Window w = of({0, 10, NaN, 5, 100}, {-4, 4, 50, Inf, NaN});  // only (0, -4) and (10, 4) are finite
  EXPECT_TRUE(w.x0 < 0 && w.x0 > -1 && w.x1 > 10 && w.x1 < 11 && w.y0 < -4 && w.y1 > 4) << w.x0 << " " << w.x1;
  std::vector<float> xf{0, 10}, yf{-4, 4};
  EXPECT_EQ(bounds(std::span<const float>(xf), std::span<const float>(yf)), w);
  EXPECT_EQ(of({NaN}, {1}), (Window{0, 1, 0, 1}));
  // A horizontal line borrows the x span, so the window stays square around it.
  Window line = of({0, 10}, {3, 3});
  EXPECT_DOUBLE_EQ(line.y1 - line.y0, line.x1 - line.x0);
  EXPECT_DOUBLE_EQ(line.y0 + line.y1, 6);
  // Far from zero a borrowed span must still be wide enough to tell its bounds apart.
  for (double at : {9007200328482816.0, 1e300}) EXPECT_TRUE(of({at, at}, {0, 1}).x0 < at && of({at, at}, {0, 1}).x1 > at);
  EXPECT_NO_THROW(checkWindow(of({9007200328482816.0, 9007200328482816.0}, {0, 1}), {MAX_SIDE, MAX_SIDE}));
}

TEST(bin_test, windows_of_merged_extents_are_the_window_of_the_whole_and_bad_extents_fail) {
  std::vector<double> x{3, NaN, -2, 8}, y{1, 0, Inf, 5};
  Extent a = extent(std::span<const double>(x).first(2), std::span<const double>(y).first(2));
  Extent b = extent(std::span<const double>(x).last(2), std::span<const double>(y).last(2));
  Extent merged{std::min(a.x0, b.x0), std::max(a.x1, b.x1), std::min(a.y0, b.y0), std::max(a.y1, b.y1)};
  EXPECT_EQ(merged, (Extent{3, 8, 1, 5}));  // (-2, inf) and (nan, 0) are not finite
  EXPECT_EQ(windowAround(merged), bounds(std::span<const double>(x), std::span<const double>(y)));
  EXPECT_EQ(windowAround(Extent{}), (Window{0, 1, 0, 1}));
  for (Extent bad : {Extent{0, 1, Extent::NONE, -Extent::NONE}, Extent{NaN, 1, 0, 1}, Extent{2, 1, 0, 1}})
    EXPECT_THROW(windowAround(bad), tess::ValueError);
}

TEST(bin_test, a_code_map_sends_codes_to_their_channels_and_drops_the_rest) {
  std::vector<double> xs(6, 0.25), ys(6, 0.25);
  std::vector<std::int16_t> codes{0, 1, 2, 3, -1, 9};
  std::vector<std::int8_t> map{1, -1, 0, 1};  // code 1 dropped; 3 joins 0 in channel 1
  Grid g = binPoints(Points<double>{xs, ys, std::span<const std::int16_t>(codes)}, 2, WIN, {1, 1}, map);
  EXPECT_EQ(std::vector<std::uint32_t>(g.counts.begin(), g.counts.end()), (std::vector<std::uint32_t>{1, 2}));
  std::vector<std::int8_t> beyond{2};
  EXPECT_THROW(binPoints(Points<double>{xs, ys, std::span<const std::int16_t>(codes)}, 2, WIN, {1, 1}, beyond),
               tess::ValueError);
}

TEST(bin_test, grids_of_any_width_add_up_in_the_narrowest_and_refuse_a_count_past_32_bits_or_another_shape) {
  Grid a{Counts(4), 1, 2, 2}, c{Counts(2), 1, 2, 1};
  for (std::size_t i = 0; i < 4; ++i) a.counts[i] = std::uint32_t(i);
  auto wide = [](const Grid& g) {
    return PartView{std::span<const std::uint32_t>(g.counts.data(), g.counts.size()), g.rows, g.cols, g.channels};
  };
  std::vector<std::uint8_t> b(4, 10);
  PartView narrow{std::span<const std::uint8_t>(b), 1, 2, 2};
  std::vector<PartView> parts{wide(a), narrow, narrow};
  PartGrid sum = addCounts(parts);
  const auto& small = std::get<Counters<std::uint8_t>>(sum.counts);
  EXPECT_EQ(std::vector<std::uint32_t>(small.begin(), small.end()), (std::vector<std::uint32_t>{20, 21, 22, 23}));
  a.counts[3] = 300;  // past 8 bits
  PartGrid wider = addCounts(parts);
  EXPECT_EQ(std::get<Counters<std::uint16_t>>(wider.counts)[3], 320);
  a.counts[3] = std::numeric_limits<std::uint32_t>::max() - 2;  // 10 more wraps
  EXPECT_THROW(addCounts(parts), tess::ValueError);
  parts = {wide(a), wide(c)};
  EXPECT_THROW(addCounts(parts), tess::ValueError);
  EXPECT_THROW(addCounts({}), tess::ValueError);
}

}  // namespace
