"""Ranked lists as the browser draws them: each group's items, and each bar's tooltip and colour."""

import pandas as pd
import pytest
from browser.judge import judge
from browser.plotted import LEGENDS, assertLegends, onPlot, rgb

from tessarine.pl._interactive import _render, _spec
from tessarine.pl._interactive.examples import rankedHorizontal, rankedVertical

pytestmark = pytest.mark.browser

# Under each group: the item axis's tick labels in drawn order, every bar with its fill, its
# tooltip and the tick label level with it, and how many texts are written on the bars.
BARS = """async (div, axis, bars) => {
  let group = 0;
  return eachView(div, async () =>
    ({ticks: ticks(div, axis), rows: await marks(div, ".barlayer .trace .point path", axis, bars[group++]),
      written: div.querySelectorAll(".barlayer text").length}));
}"""


def _checkGroups(spec):
    fig = _render.figureFor(spec)
    bars = [i for i, trace in enumerate(fig.data) if trace.type == "bar"]
    views = onPlot(fig, BARS, "y" if spec.horizontal else "x", bars)
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
    return fig, report


@pytest.mark.parametrize("make", [rankedHorizontal, rankedVertical])
def test_each_group_of_the_gallery_pages_shows_its_own_items_tooltips_and_colours(make):
    fig, report = _checkGroups(make())
    menus = [s for s in report.states if s["control"] == "updatemenu"]
    # Each group shows its bars and the key of their colours, nothing of another group.
    starts = [i for i, trace in enumerate(fig.data) if trace.type == "bar"] + [len(fig.data)]
    assert [s["visible"] for s in menus] == [list(range(a, b)) for a, b in zip(starts, starts[1:])]
    assert all(b - a > 1 for a, b in zip(starts, starts[1:]))


@pytest.mark.parametrize("horizontal", [True, False])
def test_markup_names_read_literally_on_the_axis_and_in_tooltips(horizontal):
    names = ["<b>CD3E</b>", "a&b", "%{x}"]
    groups = {"<i>one</i>": pd.DataFrame({"value": [3.0, 2.0, 1.0], "kind": ["<u>up</u>", "down", "<u>up</u>"]},
                                         index=names),
              "two": pd.DataFrame({"value": [5.0, 1.0], "kind": ["down", "flat"]}, index=names[::-1][:2])}
    spec = _spec.Ranked(groups=groups, colorBy="kind", colors={"<u>up</u>": "#B2182B", "down": "#2166AC"},
                        horizontal=horizontal, reference=2.5, valueLabel="<score>")
    _, report = _checkGroups(spec)
    assert {b["text"] for b in report.boxes["ytick" if horizontal else "xtick"]} == set(names)



@pytest.mark.parametrize("horizontal", [True, False])
def test_each_group_shows_the_key_of_its_own_colours_beside_the_plot(horizontal):
    long = "ligand-receptor pair with a very long descriptive name"
    groups = {"one": pd.DataFrame({"value": [3.0, 2.0, 1.0], "kind": [long, "<u>up</u>", "other"]}, index=list("abc")),
              "two": pd.DataFrame({"value": [5.0, 1.0], "kind": ["<u>up</u>", "<u>up</u>"]}, index=list("de")),
              "three": pd.DataFrame({"value": [1.0]}, index=["f"])}
    colors = {long: "#B2182B", "<u>up</u>": "#2166AC"}
    spec = _spec.Ranked(groups=groups, colorBy="kind", colors=colors, horizontal=horizontal)
    fig = _render.figureFor(spec)
    judge(fig, _render.configFor(spec), states=True).assertClean()
    first = [(long, "#B2182B"), ("<u>up</u>", "#2166AC"), ("other", "#5B7FA6")]
    assertLegends(onPlot(fig, LEGENDS), [first, first, [("<u>up</u>", "#2166AC")], []])
