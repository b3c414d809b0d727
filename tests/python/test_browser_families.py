"""Every family's figures, judged where they are used: plotly.js in headless Chromium."""

import numpy as np
import pandas as pd
import pytest
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


CASES = {stem: make for stem, _, make in EXAMPLES}
CASES.update({
    "bars-100x25": lambda: _longBars(100, 25),
    "bars-horizontal-long": lambda: _longBars(60, 12, horizontal=True),
    "bars-requested-size": lambda: _longBars(30, 10, width=700, height=520),
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
