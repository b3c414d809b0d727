// The figure template: a white, thin-lined look in one font face, with every default text
// size the layout component measures with.
#include "theme/theme.hpp"

namespace tess::theme {

using figure::Array;
using figure::Object;

namespace {

Object font(int size) { return Object{{"size", size}}; }

// Legend and colorbar sit a fixed number of pixels right of the plot, not a fraction of
// its width, so the room the finisher reserves for them holds at every plot width.
Object colorbar() {
  return Object{
      {"x", 1.0},
      {"xanchor", "left"},
      {"xpad", 10},
      {"outlinewidth", 0},
      {"ticks", "outside"},
      {"ticklen", 3},
      {"tickwidth", 1},
      {"tickcolor", AXIS_COLOR},
      {"tickfont", font(TICK_PX)},
      {"title", Object{{"font", font(BODY_PX)}}},
  };
}

Object axis() {
  return Object{
      {"showline", true},
      {"linecolor", AXIS_COLOR},
      {"linewidth", 1},
      {"mirror", false},
      {"ticks", "outside"},
      {"ticklen", 4},
      {"tickwidth", 1},
      {"tickcolor", AXIS_COLOR},
      {"tickfont", font(TICK_PX)},
      // No grid by default; a family that turns one on gets a faint one.
      {"showgrid", false},
      {"gridcolor", "#EBEBEB"},
      {"gridwidth", 1},
      {"zeroline", false},
      {"zerolinecolor", "#BDBDBD"},
      // The finisher reserves room for ticks and titles; plotly must not grow margins itself.
      {"automargin", false},
      {"title", Object{{"font", font(BODY_PX)}}},
  };
}

}  // namespace

Object templateLayout() {
  Array colorway(COLORWAY.begin(), COLORWAY.end());
  return Object{
      // Every text inherits this face; the template names no other.
      {"font", Object{{"family", FONT_FAMILY}, {"size", TICK_PX}, {"color", TEXT_COLOR}}},
      {"title", Object{{"font", Object{{"size", TITLE_PX}, {"color", "#000000"}}}, {"automargin", false}}},
      // Margin sizes belong to the finisher; this only stops the legend, colorbars and
      // menus from pushing the margins it computed.
      {"margin", Object{{"autoexpand", false}}},
      {"paper_bgcolor", "#FFFFFF"},
      {"plot_bgcolor", "#FFFFFF"},
      {"colorway", std::move(colorway)},
      {"colorscale",
       Object{{"sequential", colorscale("viridis")},
              {"sequentialminus", colorscale("viridis")},
              {"diverging", colorscale("", "diverging")}}},
      // Category labels such as "0", "1" stay categories instead of becoming numbers.
      {"autotypenumbers", "strict"},
      {"hovermode", "closest"},
      {"hoverlabel",
       Object{{"font", Object{{"family", FONT_FAMILY}, {"size", TICK_PX}}}, {"align", "left"}, {"namelength", -1}}},
      {"legend",
       Object{{"x", 1.0},
              {"xanchor", "left"},
              {"bgcolor", "rgba(0,0,0,0)"},
              {"borderwidth", 0},
              {"font", font(TICK_PX)},
              {"title", Object{{"font", font(TICK_PX)}}},
              // Legend symbols stay readable however small the markers are.
              {"itemsizing", "constant"}}},
      {"xaxis", axis()},
      {"yaxis", axis()},
      {"coloraxis", Object{{"colorbar", colorbar()}}},
      // Annotations without a size are measured at TICK_PX (point labels), so they must show at it.
      {"annotationdefaults", Object{{"font", font(TICK_PX)}, {"arrowcolor", AXIS_COLOR}, {"arrowwidth", 1}}},
      {"updatemenudefaults", Object{{"font", font(TICK_PX)}}},
      {"sliderdefaults", Object{{"font", font(TICK_PX)}, {"currentvalue", Object{{"font", font(TICK_PX)}}}}},
  };
}

Object templateData() {
  auto markerScale = [](const char* type) {
    return Array{Object{{"type", type}, {"marker", Object{{"colorbar", colorbar()}}}}};
  };
  return Object{
      {"scatter", markerScale("scatter")},
      {"scattergl", markerScale("scattergl")},
      {"bar", markerScale("bar")},
      {"heatmap", Array{Object{{"type", "heatmap"}, {"colorbar", colorbar()}}}},
  };
}

Object figureTemplate() { return Object{{"data", templateData()}, {"layout", templateLayout()}}; }

}  // namespace tess::theme
