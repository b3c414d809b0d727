"""The bars family end to end: the cases the golden figures leave open, and that each validates."""

import numpy as np
import pandas as pd
import plotly.graph_objects as go
import pytest

from tessarine.pl._interactive import _layout, _render, _spec


def _pivot(rows=3, columns=("a", "b")):
    return pd.DataFrame(np.arange(rows * len(columns), dtype=float).reshape(rows, len(columns)),
                        index=[f"r{i}" for i in range(rows)], columns=list(columns))


def _bars(**kw):
    kw.setdefault("pivot", _pivot())
    kw.setdefault("valueLabel", "cells")
    fig = _render.figureFor(_spec.Bars(**kw))
    go.Figure(fig.to_dict())  # every figure the core builds passes plotly's validation
    return fig


# Trace per column, default positions, row labels, percent stacking, horizontal layout and the
# counts tooltip are pinned by the golden bars figures.


@pytest.mark.parametrize("rows, horizontal, plot", [
    (0, True, (560, 240)), (0, False, (320, 460)),  # zero rows still get one bar of room
    (100, False, (_layout.MAX_PLOT_WIDTH, None))])  # capped at the widest drawing area
def test_drawing_area_for_few_and_many_bars(rows, horizontal, plot):
    fig = _bars(pivot=_pivot(rows=rows), horizontal=horizontal)
    margin = fig.layout.margin
    assert fig.layout.width - margin.l - margin.r == round(plot[0])
    assert plot[1] is None or fig.layout.height - margin.t - margin.b == plot[1]


def test_tick_labels_and_user_text_read_literally_and_missing_colours_are_grey():
    fig = _bars(tickLabels=[1.5, 2, 3], colors={"a": "#FF0000"})
    assert list(fig.layout.xaxis.ticktext) == ["1.5", "2", "3"]
    assert (fig.data[0].marker.color, fig.data[1].marker.color) == ("#FF0000", "#999999")
    pivot = pd.DataFrame({"<b>A</b>": [1.0], "%{y}": [2.0]}, index=["a&b"])
    fig = _bars(pivot=pivot, barLabel="<i>x</i>")  # in legend, ticks and tooltips
    assert [t.name for t in fig.data] == ["&lt;b&gt;A&lt;/b&gt;", "&#37;{y}"]
    assert list(fig.layout.xaxis.ticktext) == ["a&amp;b"]
    assert "%{y}" not in fig.data[1].hovertemplate.replace("%{y:.3g}", "")
    assert fig.layout.xaxis.title.text == "&lt;i&gt;x&lt;/i&gt;"


@pytest.mark.parametrize(
    "change, error",
    [({"valueLabel": None}, TypeError), ({"positions": [0, 1]}, ValueError),
     ({"pivot": pd.DataFrame({"a": ["x", "y"]})}, TypeError)],
)
def test_bad_specs_fail_with_ordinary_errors(change, error):
    with pytest.raises(error):
        _bars(**change)
    with pytest.raises(AttributeError, match="pivot"):  # a record without the attributes
        _render.bars(type("Bare", (), {"title": ""})())
