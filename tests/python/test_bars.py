"""The bars family end to end: what the figure says, and that it validates."""

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


def test_one_trace_per_column_at_default_positions_with_row_labels():
    fig = _bars()
    assert [t.name for t in fig.data] == ["a", "b"]
    assert list(fig.data[0].x) == [0, 1, 2]
    assert fig.layout.xaxis.tickmode == "array"
    assert list(fig.layout.xaxis.ticktext) == ["r0", "r1", "r2"]
    assert list(fig.layout.xaxis.tickvals) == [0, 1, 2]
    assert fig.layout.barmode == "group" and fig.layout.bargap == 0.15
    assert fig.layout.legend.traceorder == "reversed"


def test_percent_method_normalises_and_titles_the_value_axis():
    fig = _bars(method="percent", stacked=True)
    assert fig.layout.barnorm == "percent" and fig.layout.barmode == "stack"
    assert fig.layout.yaxis.title.text == "cells (%)"
    assert fig.layout.xaxis.showline is True


def test_horizontal_bars_run_top_down_with_categories_on_y():
    fig = _bars(horizontal=True, barLabel="sample")
    assert fig.data[0].orientation == "h"
    assert list(fig.data[0].y) == [0, 1, 2]
    assert fig.layout.yaxis.autorange == "reversed"
    assert fig.layout.yaxis.title.text == "sample"


@pytest.mark.parametrize("horizontal, plot", [(True, (560, 240)), (False, (320, 460))])
def test_zero_rows_still_get_one_bar_of_room(horizontal, plot):
    fig = _bars(pivot=_pivot(rows=0), horizontal=horizontal)
    margin = fig.layout.margin
    assert fig.layout.width == round(plot[0] + margin.l + margin.r)
    assert fig.layout.height == round(plot[1] + margin.t + margin.b)


def test_a_hundred_vertical_bars_are_capped_at_the_widest_drawing_area():
    fig = _bars(pivot=_pivot(rows=100))
    margin = fig.layout.margin
    assert fig.layout.width - margin.l - margin.r == round(min(3400, _layout.MAX_PLOT_WIDTH))


def test_numeric_tick_labels_show_as_text_and_missing_colours_are_grey():
    fig = _bars(tickLabels=[1.5, 2, 3], colors={"a": "#FF0000"})
    assert list(fig.layout.xaxis.ticktext) == ["1.5", "2", "3"]
    assert fig.data[0].marker.color == "#FF0000"
    assert fig.data[1].marker.color == "#999999"


def test_tooltip_names_the_bar_series_value_and_counts():
    counts = pd.DataFrame({"a": [10, 2000, 3]}, index=["r0", "r1", "r2"])
    fig = _bars(counts=counts, valueLabel="")
    with_counts, without = fig.data
    assert with_counts.hovertemplate == ("%{hovertext}<br>a<br>cells: %{customdata[0]:,}<br>"
                                         "value: %{y:.3g}<extra></extra>")
    assert np.asarray(with_counts.customdata).shape == (3, 1)
    assert without.customdata is None
    assert without.hovertemplate.count("<br>") == 2
    assert list(with_counts.hovertext) == ["r0", "r1", "r2"]


def test_user_text_reads_literally_in_legend_ticks_and_tooltips():
    pivot = pd.DataFrame({"<b>A</b>": [1.0], "%{y}": [2.0]}, index=["a&b"])
    fig = _bars(pivot=pivot, barLabel="<i>x</i>")
    assert [t.name for t in fig.data] == ["&lt;b&gt;A&lt;/b&gt;", "&#37;{y}"]
    assert list(fig.layout.xaxis.ticktext) == ["a&amp;b"]
    assert "%{y}" not in fig.data[1].hovertemplate.replace("%{y:.3g}", "")
    assert fig.layout.xaxis.title.text == "&lt;i&gt;x&lt;/i&gt;"


@pytest.mark.parametrize(
    "change, error",
    [({"valueLabel": None}, TypeError), ({"positions": [0, 1]}, ValueError), ({"tickLabels": ["x"]}, ValueError),
     ({"pivot": pd.DataFrame({"a": ["x", "y"]})}, TypeError), ({"pivot": None}, TypeError)],
)
def test_bad_specs_fail_with_ordinary_errors(change, error):
    with pytest.raises(error):
        _bars(**change)


def test_a_record_without_the_attributes_is_an_attribute_error():
    class Bare:
        title = ""

    with pytest.raises(AttributeError, match="pivot"):
        _render.bars(Bare())
