"""Intervals as the browser draws them: each ordering's rows, and each feature's tooltip and colour."""

import numpy as np
import pandas as pd
import pytest
from browser.judge import judge
from browser.plotted import LEGENDS, assertLegends, onPlot, rgb

from tessarine.pl._interactive import _render, _spec
from tessarine.pl._interactive.examples import intervalsAbundance

pytestmark = pytest.mark.browser

# Under each ordering: the y tick labels top to bottom, and every marker with its fill, its
# tooltip and the tick label level with it.
ROWS = """async (div) => eachView(div, async () =>
  ({ticks: ticks(div, "y"), rows: await marks(div, ".scatterlayer .trace path.point", "y", 0)}))"""


def _checkOrderings(spec):
    fig = _render.figureFor(spec)
    frame = spec.frame
    views = onPlot(fig, ROWS)
    assert len(views) == len(spec.orders)
    for rows, view in zip(spec.orders.values(), views):
        names = [str(frame.index[r]) for r in rows]
        assert view["ticks"] == names  # the ordering's features, first at the top
        assert sorted(r["name"] for r in view["rows"]) == sorted(names)
        for row in view["rows"]:
            feature = frame.loc[row["name"]]
            lines = dict(line.split(": ", 1) for line in row["tooltip"])
            assert float(lines["value"]) == pytest.approx(feature["value"], rel=1e-3)
            assert lines[spec.colorBy] == str(feature[spec.colorBy])
            assert row["fill"] == rgb(spec.colors.get(str(feature[spec.colorBy]), "#333333"))
    return fig


def test_every_ordering_of_the_gallery_page_keeps_each_features_tooltip_and_colour():
    fig = _checkOrderings(intervalsAbundance())
    judge(fig, _render.configFor(intervalsAbundance()), states=True).assertClean()


def test_markup_names_read_literally_in_every_ordering():
    names = ["<b>CD3E</b>", "a&b", "%{y}", "plain"]
    frame = pd.DataFrame({"value": [1.0, -1.0, 0.5, 2.0], "low": [0.0, -2.0, 0.0, 1.0], "high": [2.0, 0.0, 1.0, 3.0],
                          "kind": ["<i>up</i>", "down", "<i>up</i>", "flat"]}, index=names)
    orders = {"given": [0, 1, 2, 3], "by value": np.argsort(-frame["value"]).tolist()}
    colors = {"<i>up</i>": "#B2182B", "down": "#2166AC"}
    spec = _spec.Intervals(frame=frame, orders=orders, colorBy="kind", colors=colors, reference=0.0,
                           valueLabel="<effect>")
    _checkOrderings(spec)
    report = judge(_render.figureFor(spec), _render.configFor(spec), states=True)
    report.assertClean()
    assert {b["text"] for b in report.boxes["ytick"]} == set(names)



def test_the_colour_key_stays_beside_the_plot_and_lists_the_same_colours_in_every_ordering():
    long = "tissue-resident memory compartment of the lamina propria"
    frame = pd.DataFrame({"value": [1.0, -1.0, 0.5, 2.0], "low": [0.0, -2.0, 0.0, 1.0], "high": [2.0, 0.0, 1.0, 3.0],
                          "kind": [long, "<i>down</i>", long, "flat"]}, index=["a", "b", "c", "d"])
    spec = _spec.Intervals(frame=frame, orders={"given": [0, 1, 2, 3], "reversed": [3, 2, 1, 0]}, colorBy="kind",
                           colors={long: "#B2182B", "<i>down</i>": "#2166AC"}, title="Key")
    fig = _render.figureFor(spec)
    report = judge(fig, _render.configFor(spec), states=True)
    report.assertClean()  # the legend, long names shortened, covers nothing in any state
    key = [(long, "#B2182B"), ("<i>down</i>", "#2166AC"), ("flat", "#333333")]
    assertLegends(onPlot(fig, LEGENDS), [key] * 3)
