"""The intervals family from a spec: what each ordering sends, sizes, literal names and refusals."""

import numpy as np
import pandas as pd
import plotly.graph_objects as go
import pytest

from tessarine.pl._interactive import _layout, _render, _spec


def _frame(names=("A", "B", "C"), **extra):
    n = len(names)
    value = np.arange(n, dtype=float)
    return pd.DataFrame({"value": value, "low": value - 0.5, "high": value + 1.0, **extra}, index=list(names))


def _intervals(**kw):
    kw.setdefault("frame", _frame())
    fig = _render.figureFor(_spec.Intervals(**kw))
    go.Figure(fig.to_dict())  # every figure the core builds passes plotly's validation
    return fig


def _plotHeight(fig):
    return fig.layout.height - fig.layout.margin.t - fig.layout.margin.b


@pytest.mark.parametrize("rows, height", [(0, 240), (20, 520), (200, _layout.MAX_PLOT_HEIGHT)])
def test_each_feature_takes_26_px_between_the_floor_and_the_tallest_drawing_area(rows, height):
    fig = _intervals(frame=_frame([f"f{i}" for i in range(rows)]))
    assert _plotHeight(fig) == height
    assert fig.layout.width - fig.layout.margin.l - fig.layout.margin.r == 540


def test_one_ordering_keeps_the_frame_order_without_a_dropdown_and_repeated_names_keep_their_rows():
    fig = _intervals(frame=_frame(("A", "B", "A")), reference=1, logScale=True, valueLabel="<odds>")
    trace = fig.data[0]
    assert list(trace.y) == ["A", "B", "A\u200b"] and not fig.layout.updatemenus
    assert list(trace.x) == [0.0, 1.0, 2.0]
    assert fig.layout.xaxis.type == "log" and fig.layout.yaxis.autorange == "reversed"
    assert fig.layout.xaxis.title.text == "&lt;odds&gt;"
    assert [(s.x0, s.line.dash) for s in fig.layout.shapes] == [(1.0, "dash")]


def test_orderings_send_their_own_rows_colours_and_tooltips():
    frame = _frame(("A", "B", "C", "D"), kind=["up", "down", "up", "other"], cells=[10, 20, 30, 40])
    colors = {"up": "#B2182B", "down": "#2166AC"}
    fig = _intervals(frame=frame, orders={"given": [0, 1, 2, 3], "by cells": [3, 1, 0, 2], "top two": [3, 2]},
                     colorBy="kind", colors=colors)
    menu = fig.layout.updatemenus[0]
    assert [b.label for b in menu.buttons] == ["given", "by cells", "top two"]
    assert "<b>order</b>" in {a.text for a in fig.layout.annotations}
    for button, rows in zip(menu.buttons, ([0, 1, 2, 3], [3, 1, 0, 2], [3, 2])):
        restyle, relayout, traces = button.args
        assert list(traces) == [0]
        (y,) = restyle["y"]
        assert list(y) == list(frame.index[rows]) == list(relayout["yaxis.categoryarray"])
        (colours,) = restyle["marker.color"]
        assert list(colours) == [colors.get(k, "#333333") for k in frame["kind"].iloc[rows]]
        assert restyle["customdata"][0]["bdata"]  # a record plotly.js decodes, wrapped once
        assert "low" not in restyle["hovertemplate"][0] and "high" not in restyle["hovertemplate"][0]
    # The figure starts in the first ordering.
    assert list(fig.data[0].marker.color) == [colors.get(k, "#333333") for k in frame["kind"]]


def test_a_key_lists_each_colour_category_once_and_draws_nothing():
    frame = _frame(("A", "B", "C", "D"), kind=["up", "<i>down</i>", "up", "other"])
    colors = {"up": "#B2182B", "<i>down</i>": "#2166AC"}
    fig = _intervals(frame=frame, orders={"reversed": [3, 2, 1, 0], "given": [0, 1, 2, 3]}, colorBy="kind",
                     colors=colors)
    markers, *key = fig.data
    assert markers.showlegend is False
    # First seen first, in the first ordering; a category without a colour in the markers' default.
    assert [(t.name, t.marker.color) for t in key] == [
        ("other", "#333333"), ("up", "#B2182B"), ("&lt;i&gt;down&lt;/i&gt;", "#2166AC")]
    assert all(t.showlegend and list(t.x) == [None] and t.hoverinfo == "skip" for t in key)
    assert fig.layout.legend.itemclick is False  # clicking a key would hide nothing
    assert len(_intervals(frame=frame).data) == len(_intervals(frame=frame, colorBy="absent").data) == 1


@pytest.mark.parametrize("change, error", [
    ({"frame": _frame().drop(columns="low")}, KeyError),
    ({"orders": {"bad": [0, 3]}}, IndexError),
    ({"orders": {"bad": [0.5]}}, TypeError),
    ({"reference": "x"}, ValueError),
    ({"reference": float("inf")}, ValueError),
    ({"reference": 0.0, "logScale": True}, ValueError),
    ({"frame": None}, TypeError),
])
def test_refusals(change, error):
    with pytest.raises(error):
        _intervals(**change)
