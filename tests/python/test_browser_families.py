"""Every family's figures, judged where they are used: plotly.js in headless Chromium."""

import numpy as np
import pandas as pd
import pytest
import plotly.graph_objects as go
from browser.judge import judge
from browser.plotted import onPlot

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
    assert report.boxes.get("legend") or len(fig.data) < 2


def test_markup_in_names_reads_literally():
    spec = CASES["bars-markup-names"]()
    report = judge(_render.figureFor(spec), _render.configFor(spec), states=False)
    legend = report.boxes["legend"][0]["text"]
    assert "<b>A</b>" in legend and "%{y}" in legend
    assert sorted(b["text"] for b in report.boxes["xtick"]) == ["<i>c</i>", "a&b"]


# Hovers the given data positions, then clicks the first legend entry as a person would;
# returns the tooltips and each trace's visibility after the click.
LEGEND_CLICK = """async (div, positions) => {
  const tooltips = [];  // WebGL traces answer positions, not point numbers
  for (const [x, y] of positions) tooltips.push((await hover(div, {xval: x, yval: y})).join(""));
  const toggle = div.querySelector(".legend .traces .legendtoggle");
  const box = toggle.getBoundingClientRect();
  const at = {bubbles: true, clientX: box.x + box.width / 2, clientY: box.y + box.height / 2};
  toggle.dispatchEvent(new MouseEvent("mousedown", at));
  toggle.dispatchEvent(new MouseEvent("mouseup", at));
  // A single click counts once the double-click window has passed.
  await new Promise((resolve) => setTimeout(resolve, 600));
  return [tooltips, div._fullData.map((t) => t.visible)];
}"""


def test_pieces_of_a_split_category_show_their_cells_and_toggle_as_one_legend_entry():
    rng = np.random.default_rng(3)
    n = 6000
    frame = pd.DataFrame({"x": rng.normal(size=n), "y": rng.normal(size=n),
                          "type": rng.choice(["T", "B"], size=n), "sample": rng.choice(["s1", "s2", "s3"], size=n)})
    spec = _spec.Points(frame=frame, x="x", y="y", keys=["type"], categorical={"type": True},
                        colors={"type": {"T": "#E15759", "B": "#4E79A7"}}, hover=["sample"], size=3.0, alpha=0.8)
    fig = _render.figureFor(spec)
    assert [t.name for t in fig.data] == ["T"] * 3 + ["B"] * 3
    firsts = [rows[0] for rows in spec.renderRows]
    positions = [[float(np.float32(frame["x"].iloc[r])), float(np.float32(frame["y"].iloc[r]))] for r in firsts]
    tooltips, visible = onPlot(fig, LEGEND_CLICK, positions)
    # Each piece's tooltip names the sample of the cell under the pointer.
    assert tooltips == [f"sample: {frame['sample'].iloc[r]}type: {frame['type'].iloc[r]}cell: {r}" for r in firsts]
    assert visible == ["legendonly"] * 3 + [True] * 3
