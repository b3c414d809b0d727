"""The dot plot's controls and texts as plotly.js draws them in headless Chromium."""

import numpy as np
import pandas as pd
import pytest
from browser.judge import judge
from browser.plotted import onPlot

from tessarine.pl._interactive import _render, _spec

pytestmark = pytest.mark.browser


def _markupSpec():
    rows, columns = ["<b>X</b>", "a&b", "CD3E"], ["%{y}", "<i>T</i>", "NK"]
    values = pd.DataFrame(np.arange(9, dtype=float).reshape(3, 3), index=rows, columns=columns)
    values.iloc[1, 1] = np.nan  # drawn in plotly's colour for values off the scale
    size = pd.DataFrame(np.linspace(0.1, 1.0, 9).reshape(3, 3), index=rows, columns=columns)
    return _spec.Dots(scales={"<b>mean</b>": values, "z": values - 4, "rank": values.rank()}, size=size,
                      extra={"cells": (size * 1000).astype(int)}, sizeLabel="<of cells>", kind="diverging")


# Hovers the given dots ([trace, point]: a trace per column) in turn; returns their tooltips'
# lines, the fill of every dot drawn and the widths of the legend's key dots.
HOVER = """async (div, points) => {
  const tooltips = [];
  for (const [curve, point] of points) tooltips.push(await hover(div, [{curveNumber: curve, pointNumber: point}]));
  return [tooltips, Array.from(div.querySelectorAll(".x2y2 .scatterlayer .trace path.point"),
    (p) => p.style.fill), Array.from(div.querySelectorAll(".legend path.scatterpts"), (p) => p.getBBox().width)];
}"""

# Each scaling's button and then each slider step, clicked in turn: the tooltip of one dot and
# the drawn widths of the dots.
CONTROLS = """async (div, point) => {
  const dots = () => Array.from(div.querySelectorAll(".x2y2 .scatterlayer .trace path.point"),
    (p) => p.getBBox().width);
  const found = [];
  for (const item of [...figure.layout.updatemenus[0].buttons, ...figure.layout.sliders[0].steps]) {
    await Plotly[item.method](div, ...item.args);
    found.push({tooltip: await hover(div, [{curveNumber: point[0], pointNumber: point[1]}]), dots: dots()});
  }
  return found;
}"""


def test_scalings_show_their_own_scale_the_slider_resizes_the_dots_and_markup_reads_literally():
    spec = _markupSpec()
    fig = _render.figureFor(spec)
    report = judge(fig, _render.configFor(spec), states=True)
    report.assertClean()
    menus = [s for s in report.states if s["control"] == "updatemenu"]
    # A trace of dots per column, recoloured by each scaling; the size key 3-5 beside them throughout.
    assert [s["visible"] for s in menus] == [list(range(6))] * 3
    steps = [s for s in report.states if s["control"] == "slider"]
    largest = [max(size["max"] for size in s["markerSize"][:3]) for s in steps]
    assert len(set(largest)) == len(steps) and largest == sorted(largest)
    assert 23.0 in largest  # the 1x step draws the dots as built
    assert {s["markerSize"][3] for s in steps} == {6.5}  # the key keeps the 1x sizes
    # As clicked: each scaling's value in the tooltip, the rest of it unchanged; each step
    # draws the dots at its factor of their size.
    clicked = onPlot(fig, CONTROLS, [1, 2])  # row CD3E, column <i>T</i>
    for shown, scale in zip(clicked, spec.scales.values()):
        assert shown["tooltip"][:2] == ["row: CD3E", "column: <i>T</i>"] and shown["tooltip"][3:] == ["size: 0.8875", "cells: 887"]
        assert float(shown["tooltip"][2].split(": ")[1]) == scale.iloc[2, 1]
    factors = [float(step.label.rstrip("×")) for step in fig.layout.sliders[0].steps]
    unit = clicked[len(spec.scales) + factors.index(1.0)]
    for shown, factor in zip(clicked[len(spec.scales):], factors):
        assert max(shown["dots"]) == pytest.approx(max(unit["dots"]) * factor, rel=0.02)
    # Names with markup read literally in ticks, legend and tooltips.
    assert sorted(b["text"] for b in report.boxes["ytick"]) == ["<b>X</b>", "CD3E", "a&b"]
    assert {"%{y}", "<i>T</i>"} <= {b["text"] for b in report.boxes["xtick"]}
    assert "25% <of cells>" in report.boxes["legend"][0]["text"]
    tooltips, fills, keys = onPlot(fig, HOVER, [[1, 0], [0, 0], [1, 1]])
    assert tooltips[0][:2] == ["row: <b>X</b>", "column: <i>T</i>"]
    assert tooltips[0][3:] == ["size: 0.2125", "cells: 212"]
    assert tooltips[1][1] == "column: %{y}"
    # The dot without a colour value is still drawn, in plotly's colour for it, and hovers.
    assert len(fills) == 9 and all(fills) and tooltips[2][2] == "colour: NaN"
    assert len(keys) == 3 and keys == sorted(set(keys))  # the key's dots grow as its percentages


def test_a_large_grid_draws_in_webgl_and_every_state_hovers_its_own_scale():
    rows, columns = [f"g{i}" for i in range(100)], [f"t{j}" for j in range(50)]
    values = pd.DataFrame(np.arange(5000, dtype=float).reshape(100, 50) / 7, index=rows, columns=columns)
    size = pd.DataFrame(np.linspace(0, 1, 5000).reshape(100, 50), index=rows, columns=columns)
    spec = _spec.Dots(scales={"mean": values, "z": values - 300}, size=size)
    fig = _render.figureFor(spec)
    assert {t.type for t in fig.data[:50]} == {"scattergl"} and sum(len(t.x) for t in fig.data[:50]) == 5000
    judge(fig, _render.configFor(spec), states=False).assertClean()  # the small grid clicks every state
    script = """async (div) => {
      const found = [];
      for (const button of figure.layout.updatemenus[0].buttons) {
        await Plotly.restyle(div, ...button.args);
        found.push(await hover(div, {xval: 7, yval: 43}));
      }
      // Zoomed in, the axes that name the dots move with the shown ones.
      await Plotly.relayout(div, {"xaxis.range": [5.5, 9.5], "yaxis.range": [46.5, 41.5]});
      const {xaxis, yaxis, xaxis2, yaxis2} = div._fullLayout;
      found.push([await hover(div, {xval: 7, yval: 43}), [xaxis.range, yaxis.range], [xaxis2.range, yaxis2.range]]);
      // Autoscaled, both pairs stop at the grid's edges (plotly autoscales each within its own limits).
      await Plotly.relayout(div, {"xaxis.autorange": true, "yaxis.autorange": true});
      const after = div._fullLayout;
      found.push([await hover(div, {xval: 7, yval: 43}), [after.xaxis.range, after.yaxis.range],
                  [after.xaxis2.range, after.yaxis2.range]]);
      return found;
    }"""
    assert 43 not in fig.layout.yaxis.tickvals  # named although the shown axis skips it
    *states, zoomed, autoscaled = onPlot(fig, script)
    for shown, scale in zip(states, spec.scales.values()):
        assert shown[:2] == ["row: g43", "column: t7"] and shown[3] == "size: 0.4315"
        assert float(shown[2].split(": ")[1]) == pytest.approx(scale.iloc[43, 7], rel=1e-3)
    assert zoomed[0] == states[-1] and zoomed[1] == zoomed[2] == [[5.5, 9.5], [46.5, 41.5]]
    assert autoscaled[0] == states[-1] and autoscaled[1] == autoscaled[2] == [[-0.6, 49.6], [99.6, -0.6]]
