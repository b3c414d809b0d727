// The theme: text sizes, colours, colour scales and limits, text escaping and the template.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "figure/value.hpp"

namespace tess::theme {

inline constexpr int WIDTH = 640;   ///< default drawing-area width, px
inline constexpr int HEIGHT = 480;  ///< default drawing-area height, px
inline constexpr int TITLE_PX = 16;
/// The small text: ticks, legend names, captions, notes, controls, cell values.
/// Layout measures text at this size, so every default size in the template is this one.
inline constexpr int TICK_PX = 12;
inline constexpr int BODY_PX = 14;  ///< axis and colorbar titles
/// The face the text-metric tables were measured in; nothing else may be named.
inline constexpr std::string_view FONT_FAMILY = "Arial, 'Liberation Sans', Helvetica, sans-serif";
inline constexpr std::string_view MISSING = "#E6E6E6";  ///< missing heatmap cells
inline constexpr std::string_view TEXT_COLOR = "#222222";
inline constexpr std::string_view AXIS_COLOR = "#444444";

/// Qualitative colours for categories: ten well-separated hues, then a lighter partner of each.
inline constexpr std::array<std::string_view, 20> COLORWAY = {
    "#4E79A7", "#F28E2B", "#E15759", "#499894", "#59A14F", "#B6992D", "#B07AA1",
    "#D37295", "#9D7660", "#79706E", "#A0CBE8", "#FFBE7D", "#FF9D9A", "#86BCB6",
    "#8CD17D", "#F1CE63", "#D4A6C8", "#FABFD2", "#D7B5A6", "#BAB0AC"};

// ---- text ----

/// User text made safe as plotly markup: '&', '<', '>' become entities and every '%'
/// becomes "&#37;", so no user text can open a tag or form a "%{...}" placeholder.
/// plotly.js decodes these in every SVG text after templates are filled, so the text
/// shows as typed. Only ASCII bytes change; UTF-8 passes through untouched. Newlines are
/// kept (plotly shows them as spaces).
std::string escape(std::string_view text);

// ---- colours ----

/// A colour with channels in [0, 255] and alpha in [0, 1].
struct Color {
  double r = 0, g = 0, b = 0, a = 1;
  bool operator==(const Color&) const = default;
};

/// Parses "#rgb", "#rgba", "#rrggbb", "#rrggbbaa", "rgb(...)", "rgba(...)", "hsl(...)",
/// "hsla(...)" (comma or space syntax, numbers or percentages), the 148 CSS colour names
/// and "transparent", ignoring case and surrounding blanks. Throws ValueError otherwise.
Color parseColor(std::string_view text);

/// "rgba(r,g,b,a)" of `color` with its own alpha multiplied by `alpha`, which must lie in
/// [0, 1] (ValueError otherwise). Multiplying keeps rgba(c, 1) equal to c for every form.
std::string rgba(std::string_view color, double alpha);

/// "#RRGGBB" of the colour's channels (alpha dropped).
std::string hex(const Color& color);

// ---- colour scales ----

/// A colour map name's scale as [[position, "#rrggbb"], ...] from 0 to 1. Names ignore
/// case; a trailing "_r" reverses. An empty name takes the kind's default: viridis for
/// "sequential", RdBu_r (blue, white, red) for "diverging"; other kinds count as
/// sequential. Unknown names throw ValueError.
figure::Array colorscale(std::string_view cmap, std::string_view kind = "sequential");

/// An explicit scale checked and returned: pairs [position, colour] with positions rising
/// from 0 to 1, or a list of colours, which is spread evenly. Throws ValueError (bad
/// content) or TypeError (not a list).
figure::Array explicitColorscale(const figure::Value& scale);

/// Known colour map names, lower case, without reversed forms.
std::vector<std::string_view> colormapNames();

// ---- colour limits ----

struct Limits {
  double low = 0;
  double high = 1;
  std::optional<double> mid;  ///< the centre of a diverging scale
  bool operator==(const Limits&) const = default;
};

/// The value range a colour scale spans; non-finite values are ignored, n counts the rest.
/// Sequential: the (k+1)-th smallest to the (k+1)-th largest value, k = floor(n / 100), so
/// a few extreme values cannot wash out the scale while fewer than 100 values keep their
/// true extremes; if trimming leaves a single value (sparse data), the full range. A
/// single explicit bound keeps the other from the data, moved past the given one if needed.
/// Diverging: center ± m (center 0 by default, mid = center), m the (k+1)-th largest
/// |v - center| (the largest if that is 0); a single explicit bound is mirrored about the
/// center. Empty data gives [0, 1] or center ± 1; a constant gives value ± 0.5. NaN bounds
/// count as absent. Throws ValueError for infinite bounds, vmin >= vmax, or a one-sided
/// diverging bound on the wrong side of the center.
Limits colorLimits(std::span<const double> values, std::string_view kind = "sequential",
                   std::optional<double> vmin = std::nullopt, std::optional<double> vmax = std::nullopt,
                   std::optional<double> center = std::nullopt);

/// True when `kind` names the diverging kind (case-insensitive); everything else is sequential.
bool isDiverging(std::string_view kind);

// ---- template ----

/// The layout half of the figure template: fonts, colours, axes, legend, hover labels.
/// It sets no margin sizes, figure size or title position, and turns off plotly's
/// automargin and margin.autoexpand: the finisher computes margins and plotly must not
/// grow them.
figure::Object templateLayout();
/// Trace defaults by trace type (colorbars without outline, ticked like the axes).
figure::Object templateData();
/// {"data": templateData(), "layout": templateLayout()}.
figure::Object figureTemplate();

}  // namespace tess::theme
