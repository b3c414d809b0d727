"""Distributions as plotly.js draws them in headless Chromium: threshold labels on both axis
types, one panel at a time, and strip tooltips that name their own cell."""

import numpy as np
import pytest
from browser.judge import judge
from browser.plotted import onPlot

from tessarine.pl._interactive import _render, _spec

pytestmark = pytest.mark.browser

# Per axis state (as drawn, then after each switch button): the axis type, each drawn line's
# height, the top and bottom of each drawn label and where each threshold's value lies, px from the
# top of the figure.
THRESHOLDS = """async (div, values) => {
  const top = div.querySelector(".main-svg").getBoundingClientRect().top;
  const measure = () => {
    const ya = div._fullLayout.yaxis;
    const lines = Array.from(div.querySelectorAll(".shapelayer path"), (p) => p.getBoundingClientRect());
    const labels = Array.from(div.querySelectorAll(".annotation .annotation-text-g"), (g) => g.getBoundingClientRect());
    return {type: ya.type, lines: lines.map((r) => (r.top + r.bottom) / 2 - top),
            labels: labels.map((r) => [r.top - top, r.bottom - top]), values: values.map((v) => ya._offset + ya.d2p(v))};
  };
  const found = [measure()];
  const menu = figure.layout.updatemenus.find((m) => m.buttons[0].label === "linear");
  for (const button of [menu.buttons[0], menu.buttons[1]]) {
    await Plotly.relayout(div, ...button.args);
    found.push(measure());
  }
  return found;
}"""


def test_threshold_lines_stand_at_their_values_with_their_labels_just_below_and_above_on_either_axis_type():
    rng = np.random.default_rng(3)
    thresholds = {"too few": 300.0, "doublets": 20_000.0}
    spec = _spec.Distribution(parts={"T": rng.lognormal(7, 1, 300), "B": rng.lognormal(8, 1, 300)},
                              thresholds=thresholds, log=True)
    states = onPlot(_render.figureFor(spec), THRESHOLDS, list(thresholds.values()))
    assert [s["type"] for s in states] == ["log", "linear", "log"]
    for state in states:
        assert state["lines"] == pytest.approx(state["values"], abs=1)
        # The lower line's label hangs just below it, the upper line's stands just above it.
        (lowTop, _), (_, highBottom) = state["labels"]
        gaps = [lowTop - state["lines"][0], state["lines"][1] - highBottom]
        assert all(0 <= gap <= 6 for gap in gaps), (state["type"], gaps)


def test_each_panel_shows_its_own_traces_on_one_group_axis():
    # The second panel has more groups with longer names: laid out for the first alone,
    # its tick labels ran into each other.
    long = [f"Population {i:02d} of the {'outer ' * (i % 4)}cortical plate" for i in range(12)]
    panels = {"CD3E": {"T cells": [1.0, 2.0, 2.5], "NK cells": [0.5, 1.5]},
              "MS4A1": {name: [float(i), i + 1.0] for i, name in enumerate(long)}}
    spec = _spec.Distribution(panels=panels, valueLabel="expression", thresholds={"detected": 0.5})
    fig = _render.figureFor(spec)
    report = judge(fig, _render.configFor(spec), states=True)
    report.assertClean()
    shown = [s for s in report.states if s["label"] in panels]
    # plotly counts a trace without values as hidden: the first panel draws 2 of its 14.
    assert [s["visible"] for s in shown] == [[0, 1], list(range(16, 28))]
    assert [s["axisTitles"]["yaxis"] for s in shown] == ["CD3E · expression", "MS4A1 · expression"]
    # Each state draws its own panel's values: the medians plotly drew for the shown boxes.
    MEDIANS = """async (div) => {
      const found = [];
      for (const {args} of figure.layout.updatemenus[0].buttons) {
        await Plotly.update(div, ...args);
        found.push(div.calcdata.filter((cd) => cd[0].trace.visible === true && cd[0].med !== undefined)
          .map((cd) => [cd[0].trace.index, cd[0].med]));
      }
      return found;
    }"""
    first, second = onPlot(fig, MEDIANS)
    assert first == [[0, 2.0], [1, 1.0]]
    assert second == [[16 + i, i + 0.5] for i in range(12)]


# Hovers the centre of every point drawn by trace 0; returns the tooltips' lines.
STRIP = """async (div) => {
  const xa = div._fullLayout.xaxis, ya = div._fullLayout.yaxis;
  const plot = div.querySelector(".nsewdrag").getBoundingClientRect();
  const found = [];
  for (const point of div.querySelectorAll(".boxlayer .trace:first-child path.point")) {
    const r = point.getBoundingClientRect();
    const at = {xval: xa.p2c((r.left + r.right) / 2 - plot.left), yval: ya.p2c((r.top + r.bottom) / 2 - plot.top)};
    found.push(await hover(div, at));
  }
  return found;
}"""


def test_a_strip_point_names_its_own_cell():
    values = [0.5, np.nan, 1.25, 2.0, np.inf, 3.5, 4.75, np.nan, 6.0]
    cells = [f"<cell {i}>" for i in range(len(values))]
    spec = _spec.Distribution(panels={"p": {"a": values, "b": [1.0]}}, points={("p", "a"): cells}, style="strip")
    tooltips = onPlot(_render.figureFor(spec), STRIP)
    expected = {f"<cell {i}>": v for i, v in enumerate(values) if np.isfinite(v)}
    assert len(tooltips) == len(expected)
    assert {lines[0]: float(lines[1]) for lines in tooltips} == expected
