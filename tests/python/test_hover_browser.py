"""Tooltips as plotly.js draws them: every value reads as it was, whatever markup it holds."""

import numpy as np
import pandas as pd
import plotly.graph_objects as go
import pytest
from browser.plotted import onPlot

from tessarine.pl._interactive import _render, _spec

pytestmark = pytest.mark.browser

# Hovers each point in turn and returns the lines of its tooltip.
TOOLTIPS = """async (div, n) => {
  const shown = [];
  for (let i = 0; i < n; ++i) shown.push(await hover(div, [{curveNumber: 0, pointNumber: i}]));
  return shown;
}"""


def tooltips(frame):
    hover = _render._hoverColumns(frame, list(frame.columns))
    n = len(frame)
    fig = go.Figure(go.Scatter(x=np.arange(n), y=np.zeros(n), mode="markers", **hover.trace()),
                    layout={"width": 500, "height": 400})
    return onPlot(fig, TOOLTIPS, n)


@pytest.mark.parametrize("columns, shown", [
    ({"label": ["a<b&c", "%{x}", "<b>B</b> <extra>x</extra>"], "note": ["&amp;", "%{customdata[1]}", "<i>i</i>"],
      "count": pd.array([12345, None, -7], dtype="Int64"), "area": [0.000123456, 2.5, np.nan], "sample": ["<s1>"] * 3},
     [["sample: <s1>", "label: a<b&c", "note: &amp;", "count: 12345", "area: 0.0001235"],
      ["sample: <s1>", "label: %{x}", "note: %{customdata[1]}", "count: <NA>", "area: 2.5"],
      ["sample: <s1>", "label: <b>B</b> <extra>x</extra>", "note: <i>i</i>", "count: -7", "area: nan"]]),
    # All numbers: a typed matrix, formatted by the template.
    ({"n": [1234567, -5, 0], "flag": [True, False, True], "gap": pd.array([1, None, 3_000_000_123], dtype="Int64")},
     [["n: 1,234,567", "flag: 1", "gap: 1"], ["n: -5", "flag: 0", "gap: NaN"],
      ["n: 0", "flag: 1", "gap: 3,000,000,123"]]),
])
def test_values_read_literally_and_numbers_as_formatted(columns, shown):
    assert tooltips(pd.DataFrame(columns)) == shown


def test_a_continuous_key_reads_its_value_from_the_marker_colour():
    rng = np.random.default_rng(5)
    n = _render.GL_THRESHOLD + 1000
    frame = pd.DataFrame({"x": rng.normal(size=n), "y": rng.normal(size=n), "score": rng.gamma(2.0, size=n),
                          "sample": rng.choice(["a", "b"], size=n)})
    fig = _render.figureFor(_spec.Points(frame=frame, x="x", y="y", keys=["score"], hover=["sample"]))
    assert all(t.type == "scattergl" for t in fig.data)
    # The first cell of the first trace, under the pointer.
    trace = fig.data[0]
    at = [float(trace.x[0]), float(trace.y[0])]
    text = "".join(onPlot(fig, "async (div, at) => hover(div, {xval: at[0], yval: at[1]})", at))
    head, value = text.split("score: ")
    assert head.startswith("sample: ") and float(value) == pytest.approx(float(trace.marker.color[0]), rel=1e-3)
