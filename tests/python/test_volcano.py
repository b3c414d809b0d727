"""The volcano family: threshold states against a pandas reading of the same cuts, ranges,
tooltips, labels and refusals (every state as drawn: test_volcano_browser.py)."""

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
    return pd.DataFrame({"effect": effect, "pvalue": pvalue, "logp": -np.log10(pvalue), **extra}, index=names)


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


def test_every_state_colours_and_counts_as_pandas_reads_its_cuts_and_the_shown_one_is_active():
    rng = np.random.default_rng(4)
    frame = _table(rng.normal(0, 1.2, 400).round(1), rng.uniform(1e-6, 0.2, 400) ** 1.5,
                   group=rng.choice(["b", "a", "c"], 400))
    frame.iloc[:4, :2] = [[0.0, 1e-3], [np.nan, 1e-3], [0.0, 0.9], [1.0, np.nan]]  # zero, missing, not significant
    fig = _volcano(frame, group="group", pVal=0.02, effectThreshold=0.75)
    parts = [frame[frame.group == g] for g in dict.fromkeys(frame.group)]  # in order of first appearance
    assert [t.name for t in fig.data] == list(dict.fromkeys(frame.group)) * 2  # points, then their keys
    menu = fig.layout.updatemenus[0]
    states = [_cuts(b.label) for b in menu.buttons]
    assert states == [(p, e) for p in (0.05, 0.02, 0.01, 0.001) for e in (0, 0.5, 0.75, 1, 2)]
    assert states[menu.active] == (0.02, 0.75) == _cuts(fig.layout.annotations[0].text)
    for (p, effect), button in zip(states, menu.buttons):
        restyle, relayout, _ = button.args
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
            points = fig.data[:len(parts)]
            assert [_drawn(t.marker.color, t.marker) for t in points] == \
                [_drawn(c, t.marker) for t, c in zip(points, restyle["marker.color"])]
            assert [s.to_plotly_json() for s in fig.layout.shapes] == lines


def test_zero_cuts_small_p_cuts_and_ranges():
    frame = _table([0.0, 0.0, 1.0], [0.001, 0.5, 0.001])  # a zero effect under a zero cut: both, drawn down
    assert _render._volcanoColors(frame, _spec.Volcano(), 0.05, 0.0) == \
        ([COLORS["down"], COLORS["null"], COLORS["up"]], 2, 1)
    fig = _volcano(frame, pVal=1e-5, effectThreshold=0)
    assert [s.yref for s in fig.layout.shapes] == ["y"]  # no vertical line at 0
    assert fig.layout.annotations[0].text == "p &lt; 1e-05, |effect| ≥ 0: 0 up, 0 down"
    assert _render._volcanoRange([np.nan, np.inf]) is None
    assert _render._volcanoRange([-0.2, 0.5], symmetric=True) == pytest.approx([-0.59, 0.59])
    assert _render._volcanoRange([2.0, 2.0], floor=0.0, include=[1.30103, 2.0, 3.0]) == \
        pytest.approx([1.14812, 3.15291], abs=1e-5)
    fig = _volcano(_table([np.nan, np.nan], [0.01, 0.2]))  # no finite effect: plotly ranges the axis
    assert fig.layout.xaxis.range is None and len(fig.data[0].x) == 2


def test_tooltips_groups_and_labels_name_features_once_and_escaped_once():
    frame = _table([2.0, -3.0, 0.5, np.nan, 3.0], [1e-3, 1e-3, 1e-9, 1e-20, 1e-3],
                   names=["<b>A</b>", "a&b", "C", "nan score", "tie"], feature=list("vwxyz"), kind=[2.0, 1, 2, 2, 1])
    one = _volcano(frame, top=4)
    trace = one.data[0]
    assert (trace.name, trace.showlegend) == ("features", False)
    assert trace.hovertemplate.startswith("feature: %{text}") and trace.hovertemplate.count("feature") == 1
    assert "logp" not in trace.hovertemplate and list(trace.text[:2]) == ["&lt;b&gt;A&lt;/b&gt;", "a&amp;b"]
    # scores 6, 9, 4.5, NaN, 9: equal scores in table order, NaN never
    labels = [a.text for a in one.layout.annotations if a.xref == "x" and a.visible is not False]
    assert labels == [_theme.escape(n) for n in ["a&b", "tie", "<b>A</b>", "C"]]
    assert len([a for a in _volcano(frame.iloc[:2], top=3).layout.annotations if a.xref == "x" and a.visible is not False]) == 2
    assert [(t.name, t.legendgroup) for t in _volcano(frame, group="").data] == [("features", "features")] * 2
    grouped = _volcano(frame, group="kind")
    points, keys = grouped.data[:2], grouped.data[2:]
    assert [(t.name, len(t.x), t.showlegend) for t in points] == [("2.0", 3, False), ("1.0", 2, False)]
    # A group's legend entry is a neutral ring that toggles the group's points, whatever their classes.
    assert [(k.name, k.legendgroup, k.marker.symbol, k.marker.color) for k in keys] == [
        ("2.0", "2.0", "circle-open", "#555555"), ("1.0", "1.0", "circle-open", "#555555")]
    assert {tuple(b.args[2]) for b in grouped.layout.updatemenus[0].buttons} == {(0, 1)}  # states recolour points only
    frame["kind"] = ["<i>x</i>"] * 5
    assert [t.name for t in _volcano(frame, group="kind").data] == ["&lt;i&gt;x&lt;/i&gt;"] * 2


@pytest.mark.parametrize("change, error", [
    ({"pVal": 0}, ValueError), ({"pVal": float("nan")}, ValueError), ({"pVal": 1.5}, ValueError),
    ({"effectThreshold": -1}, ValueError), ({"effectThreshold": np.inf}, ValueError), ({"top": -2}, ValueError),
    ({"group": "missing"}, KeyError), ({"upColor": "notacolour"}, ValueError),
    ({"frame": _table([1.0], [0.5]).drop(columns="logp")}, KeyError), ({"frame": None}, TypeError),
])
def test_refusals(change, error):
    spec = dict(frame=_table([1.0, -1.0], [0.01, 0.2]))
    spec.update(change)
    with pytest.raises(error):
        _render.figureFor(_spec.Volcano(**spec))
