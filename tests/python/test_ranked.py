"""The ranked family from a spec: groups, colours, reference lines, sizes and refusals."""

import numpy as np
import pandas as pd
import plotly.graph_objects as go
import pytest

from tessarine.pl._interactive import _render, _spec


def _table(names=("a", "b", "c"), **extra):
    return pd.DataFrame({"value": np.arange(len(names), 0, -1, dtype=float), **extra}, index=list(names))


def _ranked(**kw):
    if "groups" not in kw:
        kw.setdefault("frame", _table())
    fig = _render.figureFor(_spec.Ranked(**kw))
    go.Figure(fig.to_dict())  # every figure the core builds passes plotly's validation
    return fig


def _plot(fig):
    m = fig.layout.margin
    return fig.layout.width - m.l - m.r, fig.layout.height - m.t - m.b


def test_without_groups_the_table_is_one_unnamed_group_and_a_zero_reference_is_drawn():
    fig = _ranked(frame=_table([f"g{i}" for i in range(20)]), reference=0, valueLabel="<score>")
    (trace,) = fig.data
    assert trace.name == "" and trace.visible and trace.orientation == "v" and not fig.layout.updatemenus
    assert list(trace.x[:2]) == ["g0", "g1"] and trace.marker.color == "#5B7FA6"
    assert _plot(fig) == (680, 460)  # 34 px a bar
    assert [(s.y0, s.line.color, s.line.dash) for s in fig.layout.shapes] == [(0.0, "#B2182B", "dash")]
    assert fig.layout.yaxis.title.text == "&lt;score&gt;"


def test_each_group_shows_only_its_own_bars_items_and_colours():
    groups = {"one": _table(kind=["x", "y", "z"]), "two": _table(("d", "a"), kind=["y", "y"]),
              "three": _table(("e",))}
    colors = {"x": "#111111", "y": "#222222"}
    fig = _ranked(groups=groups, colorBy="kind", colors=colors, horizontal=True, reference=1.5)
    bars = [t for t in fig.data if t.type == "bar"]
    assert [t.visible for t in bars] == [True, False, False]
    assert [tuple(t.marker.color) if not isinstance(t.marker.color, str) else t.marker.color for t in bars] == [
        ("#111111", "#222222", "#5B7FA6"), ("#222222", "#222222"), "#5B7FA6"]  # no column, or no entry: the default
    # Each group keys its own colours, shown with its bars: the key of the first at first.
    states = [[t.visible for t in fig.data]] + [b.args[0]["visible"] for b in fig.layout.updatemenus[0].buttons]
    keys = [[(t.name, t.marker.color) for t, shown in zip(fig.data, visible) if shown and t.type == "scatter"]
            for visible in states]
    first = [("x", "#111111"), ("y", "#222222"), ("z", "#5B7FA6")]
    assert keys == [first, first, [("y", "#222222")], []]
    assert fig.layout.shapes[0].x0 == 1.5 and fig.layout.yaxis.autorange == "reversed"
    assert "<b>group</b>" in {a.text for a in fig.layout.annotations}
    assert [b.label for b in fig.layout.updatemenus[0].buttons] == ["one", "two", "three"]
    assert _plot(fig) == (540, 240)  # sized for the longest group


@pytest.mark.parametrize("change, error", [
    ({"frame": pd.DataFrame({"score": [1.0]})}, KeyError),
    ({"groups": {"g": pd.DataFrame({"value": ["high"]})}}, TypeError),
    ({"reference": "x"}, ValueError),
    ({"reference": float("nan")}, ValueError),
])
def test_refusals(change, error):
    with pytest.raises(error):
        _ranked(**change)
