"""Every family's figures, judged where they are used: plotly.js in headless Chromium."""

import numpy as np
import pandas as pd
import pytest
import plotly.graph_objects as go
from browser.judge import judge

from tessarine.pl._interactive import _render, _spec
from tessarine.pl._interactive.examples import EXAMPLES, figureAndConfig

pytestmark = pytest.mark.browser


def _longBars(rows, columns, **kw):
    rng = np.random.default_rng(rows * 100 + columns)
    pivot = pd.DataFrame(rng.random((rows, columns)),
                         index=[f"patient_{i:03d}_biopsy_region_{i % 7}" for i in range(rows)],
                         columns=[f"Cell type {j}: {'very ' * (j % 4)}long population name" for j in range(columns)])
    return _spec.Bars(pivot=pivot, stacked=True, method="percent", title="Composition of every sample",
                      note="shares of all cells; hidden types renormalise", barLabel="sample", valueLabel="share", **kw)


def _crowdedPoints(**kw):
    """8,000 cells in 80 categories with long names, under a long title and note."""
    rng = np.random.default_rng(8)
    names = [f"Cluster {i:02d}: {'excitatory ' * (i % 3)}neurons of cortical layer {i % 6 + 1} ({'ventral' if i % 2 else 'dorsal'})"
             for i in range(80)]
    frame = pd.DataFrame({"x": rng.normal(size=8000), "y": rng.normal(size=8000),
                          "type": pd.Categorical(rng.choice(names, size=8000), names)})
    title = "A rather long title for a spatial transcriptomics section of a mouse brain, coronal, replicate 3 of 4"
    return _spec.Points(frame=frame, x="x", y="y", keys=["type"], categorical={"type": True},
                        colors={"type": {n: "#4E79A7" for n in names}}, size=3.0, title=title,
                        note="8,000 cells in 80 clusters, coloured by cluster; the legend scrolls " * 2, **kw)


def _legendBesideColorbar():
    """A host figure: a heatmap's colour bar and a legend of 60 long names that scrolls."""
    names = [f"Population {i:02d} of the {'outer ' * (i % 4)}cortical plate" for i in range(60)]
    fig = go.Figure(go.Heatmap(z=np.arange(12.0).reshape(3, 4), colorbar={"title": {"text": "mean"}}))
    for name in names:
        fig.add_trace(go.Scatter(x=[None], y=[None], mode="markers", name=name))
    spec = _spec.Matrix(title="A legend beside a colour bar")
    return _render.finishFigure(fig, spec, plot=(300.0, 240.0)), _render.configFor(spec)


CASES = {stem: make for stem, _, make in EXAMPLES}
CASES.update({
    "bars-100x25": lambda: _longBars(100, 25),
    "bars-horizontal-long": lambda: _longBars(60, 12, horizontal=True),
    "bars-requested-size": lambda: _longBars(30, 10, width=700, height=520),
    "points-long-title-and-legend": _crowdedPoints,
    "finish-legend-beside-colorbar": _legendBesideColorbar,
    "points-long-title-small-figure": lambda: _crowdedPoints(width=400, height=300),
    "bars-markup-names": lambda: _spec.Bars(pivot=pd.DataFrame({"<b>A</b>": [1.0, 2.0], "%{y}": [2.0, 1.0]},
                                                               index=["a&b", "<i>c</i>"]), valueLabel="v"),
})


@pytest.mark.parametrize("name", sorted(CASES))
def test_figure_draws_cleanly_in_the_browser(name):
    fig, config = figureAndConfig(CASES[name])
    report = judge(fig, config, states=True)
    report.assertClean()
    # Several traces shown at once need a legend; states a dropdown switches between do not.
    shown = [t for t in fig.data if t.visible is not False and getattr(t, "showlegend", None) is not False]
    assert report.boxes.get("legend") or len(shown) < 2
