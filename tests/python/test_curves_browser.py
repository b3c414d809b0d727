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
# fill. The fill's outline is read from its path (plotly writes M, L, H, V and Z), so a band of
# no height, where the curve runs along it, still counts as holding it.
INSIDE = """async (div) => {
  const polygons = (d) => {
    const out = [];
    let x = 0, y = 0;
    for (const [, op, args] of d.matchAll(/([MLHVZ])([^MLHVZ]*)/g)) {
      const n = (args.match(/-?\\d*\\.?\\d+(?:e[-+]?\\d+)?/g) || []).map(Number);
      if (op === "M") out.push([]);
      if (op === "M" || op === "L") [x, y] = n;
      else if (op === "H") x = n[0];
      else if (op === "V") y = n[0];
      else continue;
      out[out.length - 1].push([x, y]);
    }
    return out;
  };
  const distance = ([px, py], [ax, ay], [bx, by]) => {
    const dx = bx - ax, dy = by - ay, len = dx * dx + dy * dy;
    const t = len ? Math.max(0, Math.min(1, ((px - ax) * dx + (py - ay) * dy) / len)) : 0;
    return Math.hypot(px - ax - t * dx, py - ay - t * dy);
  };
  const holds = (polygon, p) => {
    let inside = false, near = Infinity;
    for (let i = 0, j = polygon.length - 1; i < polygon.length; j = i++) {
      const [xi, yi] = polygon[i], [xj, yj] = polygon[j];
      if ((yi > p[1]) !== (yj > p[1]) && p[0] < ((xj - xi) * (p[1] - yi)) / (yj - yi) + xi) inside = !inside;
      near = Math.min(near, distance(p, polygon[i], polygon[j]));
    }
    return inside || near <= 1;
  };
  const check = () => {
    const drawn = new Map(Array.from(div.querySelectorAll(".scatterlayer .trace"), (g) => [g.__data__[0].trace.index, g]));
    const shown = div._fullData.filter((t) => t.visible === true);
    return shown.filter((t) => t.fill === "none").flatMap((curve) => {
      const band = shown.find((t) => t.fill === "toself" && t.legendgroup === curve.legendgroup);
      if (!band) return [];
      const fill = polygons(drawn.get(band.index).querySelector("path.js-fill").getAttribute("d"));
      let samples = 0, outside = 0;
      for (const line of drawn.get(curve.index).querySelectorAll("path.js-line")) {
        const length = line.getTotalLength();
        for (let s = 0; s <= length; s += 0.5, samples++) {
          const {x, y} = line.getPointAtLength(s);
          if (!fill.some((polygon) => holds(polygon, [x, y]))) outside++;
        }
      }
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


def _notesShown(spec):
    """The note texts drawn as first plotted and under each feature, beside the notes the
    spec gives the features those views show."""
    fig = _render.figureFor(spec)
    report = judge(fig, _render.configFor(spec), states=True)
    report.assertClean()
    features = list(spec.curves)
    perFeature = [sum(1 + ({"low", "high"} <= set(t.columns)) for t in g.values()) for g in spec.curves.values()]
    firstOf = np.cumsum([0] + perFeature[:-1])
    drawn, wanted = [], []
    for boxes, visible in [(report.boxes, report.initial["visible"])] + [
            (s["boxes"], s["visible"]) for s in report.states]:
        feature = features[int(np.searchsorted(firstOf, visible[0], side="right")) - 1]
        drawn.append([b["text"] for b in boxes.get("note", [])])
        wanted.append([spec.annotations[feature]] if spec.annotations.get(feature) else [])
    return drawn, wanted


@pytest.mark.parametrize("notes", ["gallery", "second only", "each its own"])
def test_the_note_shown_belongs_to_the_feature_shown(notes):
    spec = examples.curvesSurvival()
    first, second = spec.curves
    spec.annotations = {"gallery": spec.annotations, "second only": {second: "HR = 0.71 <0.9>"},
                        "each its own": {first: "p = 0.003", second: "p = 0.41"}}[notes]
    drawn, wanted = _notesShown(spec)
    assert drawn == wanted and len(drawn) == 3 and any(drawn)


def test_a_row_without_its_upper_limit_splits_the_band_into_two_filled_pieces():
    spec = examples.curvesSurvival()
    first, tables = next(iter(spec.curves.items()))
    table = tables["high"].copy()
    table.loc[5, "high"] = np.nan
    spec.curves = {first: {"high": table}}
    pieces = onPlot(_render.figureFor(spec), """async (div) => Array.from(
      div.querySelectorAll(".scatterlayer .trace path.js-fill"), (p) => p.getAttribute("d").split("M").length - 1)""")
    assert pieces == [2]
