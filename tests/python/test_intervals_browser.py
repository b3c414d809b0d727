"""Intervals as the browser draws them: each ordering's rows, and each feature's tooltip and colour."""

import numpy as np
import pandas as pd
import pytest
from browser.judge import judge
from browser.plotted import onPlot

from tessarine.pl._interactive import _render, _spec
from tessarine.pl._interactive.examples import intervalsAbundance

pytestmark = pytest.mark.browser

# Under each ordering: the y tick labels top to bottom, and for every marker its fill, its
# tooltip and the tick label level with it.
ROWS = """async (div) => eachView(div, async () => {
  const labels = Array.from(div.querySelectorAll(".ytick text"), (t) => {
    const box = t.getBoundingClientRect();
    return [box.y + box.height / 2, t.textContent];
  });
  const markers = Array.from(div.querySelectorAll(".scatterlayer .trace")[0].querySelectorAll("path.point"));
  const rows = [];
  for (let i = 0; i < markers.length; i++) {
    const box = markers[i].getBoundingClientRect();
    const level = box.y + box.height / 2;
    const [, name] = labels.reduce((a, b) => Math.abs(a[0] - level) <= Math.abs(b[0] - level) ? a : b);
    rows.push({name, fill: markers[i].style.fill, tooltip: await hover(div, [{curveNumber: 0, pointNumber: i}])});
  }
  return {ticks: ticks(div, "y"), rows};
})"""


def _rgb(colour):
    return "rgb({}, {}, {})".format(*(int(colour[i:i + 2], 16) for i in (1, 3, 5)))


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
            assert row["fill"] == _rgb(spec.colors.get(str(feature[spec.colorBy]), "#333333"))
    return fig


def test_every_ordering_of_the_gallery_page_keeps_each_features_tooltip_and_colour():
    fig = _checkOrderings(intervalsAbundance())
    judge(fig, _render.configFor(intervalsAbundance()), states=True).assertClean()


def test_markup_names_read_literally_in_every_ordering():
    names = ["<b>CD3E</b>", "a&b", "%{y}", "plain"]
    frame = pd.DataFrame({"value": [1.0, -1.0, 0.5, 2.0], "low": [0.0, -2.0, 0.0, 1.0], "high": [2.0, 0.0, 1.0, 3.0],
                          "kind": ["<i>up</i>", "down", "<i>up</i>", "flat"]}, index=names)
    spec = _spec.Intervals(frame=frame, orders={"given": [0, 1, 2, 3], "by value": np.argsort(-frame["value"]).tolist()},
                           colorBy="kind", colors={"<i>up</i>": "#B2182B", "down": "#2166AC"}, reference=0.0,
                           valueLabel="<effect>")
    _checkOrderings(spec)
    report = judge(_render.figureFor(spec), _render.configFor(spec), states=True)
    report.assertClean()
    assert {b["text"] for b in report.boxes["ytick"]} == set(names)
