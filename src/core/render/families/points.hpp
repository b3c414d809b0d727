// Scatters of cells: one trace per category of each colour key, a "colour by" dropdown
// switching keys, and a marker-size slider.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "figure/figure.hpp"
#include "frame/frame.hpp"
#include "render/families/common/area.hpp"
#include "render/families/common/colors.hpp"
#include "render/families/common/grouping.hpp"
#include "render/finish/finish.hpp"

namespace tess::render {

struct PointsSpec {
  SpecCommon common;
  frame::Frame frame;                          ///< one row per cell; the index holds cell identities
  frame::Name x, y;                            ///< coordinate columns
  std::vector<std::optional<frame::Name>> keys;  ///< colour keys in order; nullopt draws plain cells
  std::map<std::string, bool> categorical;     ///< key text -> categorical
  /// key text -> ordered (category text, colour) pairs
  std::map<std::string, std::vector<std::pair<std::string, std::string>>> colors;
  std::map<std::string, ColorScale> scales;    ///< key text -> scale of a continuous key
  std::vector<frame::Name> hover;              ///< tooltip columns
  figure::Value size;                          ///< marker size, px
  figure::Value alpha;                         ///< marker opacity
  bool equalAspect = false;
  bool invertY = false;
  /// How many row identifiers the host holds for renderRows (one per frame row), if any.
  std::optional<std::size_t> identifiers;
};

struct PointsFigure {
  figure::Figure fig;
  /// For each trace, in trace order, the frame positions of the cells it draws, in point order.
  std::vector<Members> members;
};

/// Colour of a category its key's mapping gives none.
inline constexpr std::string_view UNMAPPED_COLOR = "#999999";

/// "scattergl" from GL_THRESHOLD points on, else "scatter".
std::string _pointTraceType(std::size_t n);
/// A coordinate column as float32.
std::vector<float> _coordinates(const frame::Frame& part, const frame::Name& column);
/// The drawing area for a scatter: shaped like the data under equal aspect, tall enough for
/// `categories` legend entries.
PlotArea _pointArea(const PointsSpec& spec, const frame::Frame& frame, std::int64_t categories);

/// The finished scatter and the rows behind each trace. ValueError without a key, or when
/// the host's row identifiers do not match the frame's rows.
PointsFigure points(const PointsSpec& spec);

}  // namespace tess::render
