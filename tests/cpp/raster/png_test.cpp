// The PNG container. tests/python/test_raster.py decodes the images of whole traces, checking
// every chunk's CRC and each pixel; here what that cannot see: compression and bad sizes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "errors.hpp"
#include "raster/png.hpp"

namespace {

using namespace tess::raster;

TEST(png_test, a_large_flat_image_compresses_well) {
  std::vector<std::uint8_t> rgba(512 * 512 * 4, 0);
  std::string uri = pngDataUri({rgba, 512, 512});
  EXPECT_EQ(uri.rfind("data:image/png;base64,iVBORw0KGgo", 0), 0u);
  EXPECT_LT(uri.size(), 2000u);
}

TEST(png_test, empty_or_mismatched_images_are_value_errors) {
  std::vector<std::uint8_t> four(4);
  EXPECT_THROW(encodePng({four, 0, 1}), tess::ValueError);
  EXPECT_THROW(encodePng({four, 1, 2}), tess::ValueError);
}

}  // namespace
