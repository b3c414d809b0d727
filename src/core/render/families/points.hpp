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
#include "render/finish/finish.hpp"

namespace tess::render {

/// A continuous key's colour scale: map name, explicit limits, centre, colour kind.
struct Scale {
  std::string cmap;
  std::optional<double> vmin, vmax, center;
  std::string kind = "sequential";
};

struct PointsSpec {
  SpecCommon common;
  frame::Frame frame;                          ///< one row per cell; the index holds cell identities
  frame::Name x, y;                            ///< coordinate columns
  std::vector<std::optional<frame::Name>> keys;  ///< colour keys in order; nullopt draws plain cells
  std::map<std::string, bool> categorical;     ///< key text -> categorical
  /// key text -> ordered (category text, colour) pairs
  std::map<std::string, std::vector<std::pair<std::string, std::string>>> colors;
  std::map<std::string, Scale> scales;         ///< key text -> scale of a continuous key
  std::vector<frame::Name> hover;              ///< tooltip columns
  figure::Value size;                          ///< marker size, px
  figure::Value alpha;                         ///< marker opacity
  bool equalAspect = false;
  bool invertY = false;
};

/// Frame positions of cells, in frame order.
using Members = std::vector<std::size_t>;

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
std::pair<double, double> _pointArea(const PointsSpec& spec, const frame::Frame& frame, std::int64_t categories);

/// The finished scatter and the rows behind each trace.
PointsFigure points(const PointsSpec& spec);

}  // namespace tess::render
