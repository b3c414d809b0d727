"""Curves as plotly.js draws them in headless Chromium: every feature's curves inside their
bands, and the note of the feature on show."""

import numpy as np
import plotly.graph_objects as go
import pytest
from browser.judge import judge
from browser.plotted import onPlot

from tessarine.pl._interactive import _render, _spec, examples

pytestmark = pytest.mark.browser

# Per view of the first dropdown (or the figure as drawn, without one): per visible curve with
# a band, how many points along its drawn line lie more than a pixel outside its band's drawn
# fill. The pixel is a stroke given to the fill, so a band of no height, where the curve runs
# along it, still holds it.
INSIDE = """async (div) => {
  const check = () => {
    const traces = div.querySelectorAll(".scatterlayer .trace");
    const drawn = new Map(Array.from(traces, (g) => [g.__data__[0].trace.index, g]));
    const shown = div._fullData.filter((t) => t.visible === true);
    return shown.filter((t) => t.fill === "none").flatMap((curve) => {
      const band = shown.find((t) => t.fill === "toself" && t.legendgroup === curve.legendgroup);
      if (!band) return [];
      const fill = drawn.get(band.index).querySelector("path.js-fill");
      fill.style.strokeWidth = "2px";
      let samples = 0, outside = 0;
      for (const line of drawn.get(curve.index).querySelectorAll("path.js-line")) {
        for (let s = 0; s <= line.getTotalLength(); s += 0.5, samples++) {
          const point = line.getPointAtLength(s);
          if (!fill.isPointInFill(point) && !fill.isPointInStroke(point)) outside++;
        }
      }
      fill.style.strokeWidth = "";
      return [{curve: curve.index, samples, outside}];
    });
  };
  return div.layout.updatemenus ? await eachView(div, check) : [check()];
}"""


def _outside(fig):
    return [[(c["samples"] > 100, c["outside"]) for c in view] for view in onPlot(fig, INSIDE)]


@pytest.mark.parametrize("step", [True, False])
def test_every_curve_stays_inside_its_band_in_every_view(step):
    spec = examples.curvesSurvival()
    spec.step = step
    views = _outside(_render.figureFor(spec))
    assert views == [[(True, 0)] * 2] * 2  # two features, two banded groups each


def test_a_straight_band_under_a_step_curve_is_seen_leaving_it():
    spec = examples.curvesSurvival()
    first, tables = next(iter(spec.curves.items()))
    spec.curves = {first: tables}
    fig = go.Figure(_render.figureFor(spec))
    for band, table in zip(fig.data[::2], tables.values()):  # each band joined straight through its points
        band.x = np.r_[table["time"], table["time"][::-1]]
        band.y = np.r_[table["high"], table["low"][::-1]]
    assert all(outside > 0 for _, outside in _outside(fig)[0])


@pytest.mark.parametrize("notes", ["gallery", "second only", "each its own", "long"])
def test_the_note_and_y_title_shown_belong_to_the_feature_shown_and_the_note_stays_off_the_curves(notes):
    spec = examples.curvesSurvival()
    first, second = spec.curves
    spec.annotations = {"gallery": spec.annotations, "second only": {second: "HR = 0.71 <0.9>"},
                        "each its own": {first: "p = 0.003", second: "p = 0.41"},
                        "long": {first: "p = 0.003", second: "log-rank p = 0.41 · 400 patients · 31 events"}}[notes]
    report = judge(_render.figureFor(spec), _render.configFor(spec), states=True)
    report.assertClean()
    # The feature each trace belongs to: per group its band, when it has both limits, and its curve.
    owner = [f for f, groups in spec.curves.items() for t in groups.values()
             for _ in range(1 + ({"low", "high"} <= set(t.columns)))]
    views = [(report.boxes, report.initial)] + [(s["boxes"], s) for s in report.states]
    assert len(views) == 3
    for boxes, shown in views:
        (feature,) = {owner[t] for t in shown["visible"]}
        # The note stands above the plot, in the band, where no curve or band of any state runs.
        note = [b for b in boxes.get("caption", []) if b["annotation"] == 0]
        assert [b["text"] for b in note] == ([spec.annotations[feature]] if feature in spec.annotations else [])
        assert all(b["y1"] <= boxes["plot"][0]["y0"] for b in note)
        assert shown["axisTitles"]["yaxis"] == f"{feature} · overall survival"


def test_a_row_without_its_upper_limit_splits_the_band_into_two_filled_pieces():
    spec = examples.curvesSurvival()
    first, tables = next(iter(spec.curves.items()))
    table = tables["high"].copy()
    table.loc[5, "high"] = np.nan
    spec.curves = {first: {"high": table}}
    pieces = onPlot(_render.figureFor(spec), """async (div) => Array.from(
      div.querySelectorAll(".scatterlayer .trace path.js-fill"), (p) => p.getAttribute("d").split("M").length - 1)""")
    assert pieces == [2]
