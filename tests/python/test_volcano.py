"""The volcano family: threshold states against a pandas reading of the same cuts, ranges
that keep every line on the picture, tooltips, labels and refusals."""

import base64
import re

import numpy as np
import pandas as pd
import plotly.graph_objects as go
import pytest

from tessarine.pl._interactive import _render, _spec, _theme

COLORS = {"up": "#B2182B", "down": "#2166AC", "null": "#BDBDBD"}


def _table(effect, pvalue, names=None, **extra):
    pvalue = np.asarray(pvalue, dtype=float)
    frame = pd.DataFrame({"effect": effect, "pvalue": pvalue, "logp": -np.log10(pvalue), **extra})
    if names is not None:
        frame.index = names
    return frame


def _volcano(frame, **kw):
    fig = _render.figureFor(_spec.Volcano(frame=frame, **kw))
    go.Figure(fig.to_dict())  # every figure the core builds passes plotly's validation
    return fig


def _drawn(codes, marker):
    """The colour each point is drawn in: its code's stop on the marker's colour scale."""
    if isinstance(codes, dict):
        codes = np.frombuffer(base64.b64decode(codes["bdata"]), codes["dtype"])
    stops = {float(at): colour for at, colour in marker.colorscale}
    return [stops[(c - marker.cmin) / (marker.cmax - marker.cmin)] for c in np.asarray(codes)]


def _expected(frame, p, effect):
    """The colours and counts of the cuts, read by pandas."""
    significant = frame.pvalue < p
    up, down = significant & (frame.effect >= effect), significant & (frame.effect <= -effect)
    colours = np.where(down, COLORS["down"], np.where(up, COLORS["up"], COLORS["null"]))
    return list(colours), int(up.sum()), int(down.sum())


def _cuts(text):
    """The (p, effect) pair a caption or button label names."""
    p, effect = re.match(r"p ?&lt; ?([^,]+), \|e(?:ffect)?\| ?≥ ?([^:]+)", text).groups()
    return float(p), float(effect)


def _mixed(n=400, seed=4):
    rng = np.random.default_rng(seed)
    frame = _table(rng.normal(0, 1.2, n).round(1), rng.uniform(1e-6, 0.2, n) ** 1.5,
                   group=rng.choice(["b", "a", "c"], n))
    frame.loc[frame.index[:3], "effect"] = [0.0, np.nan, 0.0]
    frame.loc[frame.index[3], "pvalue"] = np.nan
    frame.loc[frame.index[2], "pvalue"] = 0.9
    return frame


def test_every_state_colours_and_counts_as_pandas_reads_its_cuts_and_the_shown_one_is_active():
    frame = _mixed()
    fig = _volcano(frame, group="group", pVal=0.02, effectThreshold=0.75)
    parts = [frame[frame.group == g] for g in ("b", "a", "c") if (frame.group == g).any()]
    parts.sort(key=lambda part: frame.index.get_loc(part.index[0]))  # groups in order of first appearance
    assert [t.name for t in fig.data] == list(dict.fromkeys(frame.group))
    menu = fig.layout.updatemenus[0]
    states = [_cuts(b.label) for b in menu.buttons]
    assert states == [(p, e) for p in (0.05, 0.02, 0.01, 0.001) for e in (0, 0.5, 0.75, 1, 2)]
    assert states[menu.active] == (0.02, 0.75) == _cuts(fig.layout.annotations[0].text)
    for (p, effect), button in zip(states, menu.buttons):
        restyle, relayout = button.args
        up = down = 0
        for trace, part, codes in zip(fig.data, parts, restyle["marker.color"]):
            colours, u, d = _expected(part, p, effect)
            assert _drawn(codes, trace.marker) == colours
            up, down = up + u, down + d
        assert relayout["annotations[0].text"].endswith(f": {up} up, {down} down")
        lines = relayout["shapes"]
        assert sorted(s["x0"] for s in lines if s["xref"] == "x") == ([-effect, effect] if effect else [])
        assert [s["y0"] for s in lines if s["yref"] == "y"] == pytest.approx([-np.log10(p)])
        if (p, effect) == (0.02, 0.75):  # the state drawn first is the active button's, exactly
            assert [_drawn(t.marker.color, t.marker) for t in fig.data] == \
                [_drawn(c, t.marker) for t, c in zip(fig.data, restyle["marker.color"])]
            assert [s.to_plotly_json() for s in fig.layout.shapes] == lines


def test_a_zero_effect_cut_draws_no_vertical_line_and_a_zero_effect_counts_both_ways():
    frame = _table([0.0, 0.0, 1.0], [0.001, 0.5, 0.001])
    colours, up, down = _render._volcanoColors(frame, _spec.Volcano(), 0.05, 0.0)
    assert (colours, up, down) == ([COLORS["down"], COLORS["null"], COLORS["up"]], 2, 1)
    fig = _volcano(frame, pVal=1e-5, effectThreshold=0)
    assert [s.yref for s in fig.layout.shapes] == ["y"]
    assert fig.layout.annotations[0].text == "p &lt; 1e-05, |effect| ≥ 0: 0 up, 0 down"
    menu = fig.layout.updatemenus[0]
    assert menu.buttons[menu.active].label == "p&lt;1e-05, |e|≥0" and menu.active == 12


def test_ranges_hold_every_line_of_every_state_and_the_data():
    assert _render._volcanoRange([np.nan, np.inf]) is None
    assert _render._volcanoRange([-0.2, 0.5], symmetric=True) == pytest.approx([-0.59, 0.59])
    assert _render._volcanoRange([2.0, 2.0], floor=0.0, include=[1.30103, 2.0, 3.0]) == \
        pytest.approx([1.14812, 3.15291], abs=1e-5)
    assert _render._volcanoRange([0.01, 1.0], floor=0.0) == [0.0, pytest.approx(1.0891)]
    assert _render._volcanoRange([0.0, 0.0], symmetric=True) == pytest.approx([-1.18, 1.18])
    # Small effects under a large cut: the lines of the cut still lie on the picture.
    rng = np.random.default_rng(1)
    fig = _volcano(_table(rng.uniform(-0.5, 0.5, 50), rng.uniform(0.01, 0.5, 50)), effectThreshold=2.5,
                   pVal=1e-12)
    (x0, x1), (y0, y1) = fig.layout.xaxis.range, fig.layout.yaxis.range
    assert y0 == 0
    for button in fig.layout.updatemenus[0].buttons:
        for line in button.args[1]["shapes"]:
            assert x0 < line["x0"] < x1 if line["xref"] == "x" else y0 < line["y0"] < y1
    # No finite effect: the axis is left to plotly and the points still draw.
    fig = _volcano(_table([np.nan, np.nan], [0.01, 0.2]))
    assert fig.layout.xaxis.range is None and len(fig.data[0].x) == 2


def test_tooltips_name_the_feature_once_and_every_column_but_logp():
    frame = _table([1.5, -2.0], [1e-4, 0.03], names=["<b>A</b>", "B&C"], feature=["old", "older"], n=[3, 40])
    trace = _volcano(frame).data[0]
    template = trace.hovertemplate
    assert template.count("feature") == 1 and "logp" not in template and "old" not in str(trace.customdata)
    assert set(re.findall(r"^([a-z]+): ", template.replace("<br>", "\n"), re.M)) == {"feature", "effect", "pvalue", "n"}
    assert template.startswith("feature: %{text}") and list(trace.text) == ["&lt;b&gt;A&lt;/b&gt;", "B&amp;C"]


def test_groups_legend_and_names():
    frame = _table([1.0, 2.0, 3.0], [0.01, 0.02, 0.03], kind=[2.0, 1.0, 2.0])
    (one,) = _volcano(frame).data
    assert (one.name, one.showlegend) == ("features", False)
    (blank,) = _volcano(frame, group="").data
    assert (blank.name, blank.showlegend) == ("features", True)
    two, first = _volcano(frame, group="kind").data
    assert (two.name, first.name) == ("2.0", "1.0") and list(two.x) == [1.0, 3.0]
    frame["kind"] = ["<i>x</i>", "y", "y"]
    assert _volcano(frame, group="kind").data[0].name == "&lt;i&gt;x&lt;/i&gt;"


def test_labels_name_the_strongest_features_escaped_once():
    frame = _table([2.0, -3.0, 0.5, np.nan, 3.0], [1e-3, 1e-3, 1e-9, 1e-20, 1e-3],
                   names=["<b>A</b>", "a&b", "C", "nan score", "tie"])
    def labels(fig):
        return [a.text for a in fig.layout.annotations if a.xref == "x"]

    texts = labels(_volcano(frame, top=4))
    # scores: 6, 9, 4.5, NaN, 9 -> "a&b" and "tie" (table order), "<b>A</b>", "C"
    assert sorted(texts) == sorted(_theme.escape(n) for n in ["a&b", "tie", "<b>A</b>", "C"])
    assert len(labels(_volcano(frame.iloc[:2], top=3))) == 2
    assert labels(_volcano(frame, top=None)) == []


@pytest.mark.parametrize("change, error", [
    ({"pVal": 0}, ValueError), ({"pVal": -0.01}, ValueError), ({"pVal": float("nan")}, ValueError),
    ({"pVal": 1.5}, ValueError), ({"effectThreshold": -1}, ValueError), ({"effectThreshold": np.inf}, ValueError),
    ({"top": -2}, ValueError), ({"group": "missing"}, KeyError), ({"upColor": "notacolour"}, ValueError),
    ({"frame": _table([1.0], [0.5]).drop(columns="logp")}, KeyError), ({"frame": None}, TypeError),
])
def test_refusals(change, error):
    spec = dict(frame=_table([1.0, -1.0], [0.01, 0.2]))
    spec.update(change)
    with pytest.raises(error):
        _render.figureFor(_spec.Volcano(**spec))
