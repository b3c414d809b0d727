"""Ranked lists as the browser draws them: each group's items, and each bar's tooltip and colour."""

import pandas as pd
import pytest
from browser.judge import judge
from browser.plotted import onPlot, rgb

from tessarine.pl._interactive import _render, _spec
from tessarine.pl._interactive.examples import rankedHorizontal, rankedVertical

pytestmark = pytest.mark.browser

# Under each group: the item axis's tick labels in drawn order, every bar with its fill, its
# tooltip and the tick label level with it, and how many texts are written on the bars.
BARS = """async (div, axis) => {
  let group = 0;
  return eachView(div, async () =>
    ({ticks: ticks(div, axis), rows: await marks(div, ".barlayer .trace .point path", axis, group++),
      written: div.querySelectorAll(".barlayer text").length}));
}"""


def _checkGroups(spec):
    fig = _render.figureFor(spec)
    views = onPlot(fig, BARS, "y" if spec.horizontal else "x")
    assert len(views) == len(spec.groups)
    for table, view in zip(spec.groups.values(), views):
        names = [str(name) for name in table.index]
        assert view["ticks"] == names  # the group's own items, in rank order from the top or left
        assert [row["name"] for row in view["rows"]] == names and view["written"] == 0  # no text on the bars
        for row, (name, item) in zip(view["rows"], table.iterrows()):
            lines = dict(line.split(": ", 1) for line in row["tooltip"])
            assert lines["feature"] == row["name"] == str(name)
            assert float(lines["value"]) == pytest.approx(item["value"], rel=1e-3)
            kind = str(item[spec.colorBy])
            assert lines[spec.colorBy] == kind and row["fill"] == rgb(spec.colors.get(kind, "#5B7FA6"))
    report = judge(fig, _render.configFor(spec), states=True)
    report.assertClean()
    return report


@pytest.mark.parametrize("make", [rankedHorizontal, rankedVertical])
def test_each_group_of_the_gallery_pages_shows_its_own_items_tooltips_and_colours(make):
    report = _checkGroups(make())
    menus = [s for s in report.states if s["control"] == "updatemenu"]
    assert [s["visible"] for s in menus] == [[0], [1], [2]]


@pytest.mark.parametrize("horizontal", [True, False])
def test_markup_names_read_literally_on_the_axis_and_in_tooltips(horizontal):
    names = ["<b>CD3E</b>", "a&b", "%{x}"]
    groups = {"<i>one</i>": pd.DataFrame({"value": [3.0, 2.0, 1.0], "kind": ["<u>up</u>", "down", "<u>up</u>"]},
                                         index=names),
              "two": pd.DataFrame({"value": [5.0, 1.0], "kind": ["down", "flat"]}, index=names[::-1][:2])}
    spec = _spec.Ranked(groups=groups, colorBy="kind", colors={"<u>up</u>": "#B2182B", "down": "#2166AC"},
                        horizontal=horizontal, reference=2.5, valueLabel="<score>")
    report = _checkGroups(spec)
    assert {b["text"] for b in report.boxes["ytick" if horizontal else "xtick"]} == set(names)
