"""The dots family as the host reaches it: pandas tables in, a figure plotly accepts out."""

import numpy as np
import pandas as pd
import plotly.graph_objects as go
import pytest

from tessarine.pl._interactive import _render, _spec


def _table(values=((1.0, 2.0, 3.0), (4.0, 5.0, 6.0)), rows=("g1", "g2"), columns=("T", "B", "NK")):
    return pd.DataFrame(np.asarray(values, dtype=float), index=list(rows), columns=list(columns))


def _dots(**kw):
    kw.setdefault("color", _table())
    kw.setdefault("size", _table(np.full((2, 3), 0.5)))
    fig = _render.figureFor(_spec.Dots(**kw))
    go.Figure(fig.to_dict())  # every figure the core builds passes plotly's validation
    return fig


def test_empty_labels_get_tooltip_names_and_one_unnamed_scale_no_menu():
    # Named scales and their limits are pinned by the golden dots figure.
    fig = _dots(xlabel="cell type", ylabel="")
    assert fig.data[0].hovertemplate.startswith("row: %{y}<br>cell type: %{x}<br>")
    assert not fig.layout.updatemenus


def test_size_and_extra_accept_anything_a_frame_is_built_from():
    counts = {"T": {"g1": 1200, "g2": 3}, "B": {"g1": 5, "g2": 7}, "NK": {"g1": 0, "g2": 1}}
    fig = _dots(size={"T": [1.0, 0.0], "B": [0.25, 0.5], "NK": [np.nan, 2.0]}, extra={"cells": counts})
    # The size dict has a default index, so no row matches: every dot is the 1 px floor, and
    # the missing sizes keep the layers' tooltip as text ("-"), counts with separators.
    assert set(np.asarray(fig.data[0].marker.size) / fig.data[0].marker.sizeref) == {1.0}
    assert [list(row) for row in fig.data[0].customdata][:2] == [["-", "1,200"], ["-", "5"]]
    # Every cell present: the layers travel as numbers the tooltip formats, counts as integers.
    fig = _dots(extra={"cells": _table(((1, 2, 3), (4, 5, 12345))).astype(int)})
    assert fig.data[1].customdata.dtype == np.float32 and fig.data[1].customdata[2, 1] == 12345  # row g2, column NK
    assert fig.data[0].hovertemplate.endswith("size: %{customdata[0]:.4g}<br>cells: %{customdata[1]:,d}<br><extra></extra>")
    # A missing colour value validates and leaves the limits finite.
    fig = _dots(color=_table().mask(_table() == 2.0))
    assert np.isnan(fig.data[0].marker.color[1]) and np.isfinite([fig.data[0].marker.cmin, fig.data[0].marker.cmax]).all()


def test_from_ten_thousand_rows_each_dot_carries_its_names():
    # plotly names a hovered position by a tick within 1/10,000 of the range: past that, a
    # neighbour's name would show.
    for rows, named in ((9999, "%{y}"), (10000, "%{customdata[0]}")):
        table = pd.DataFrame(np.ones((rows, 1)), index=[f"g{i}" for i in range(rows)], columns=["T"])
        fig = _dots(color=table, size=table)
        assert fig.data[0].hovertemplate.startswith(f"row: {named}<br>")
        assert len(fig.layout.yaxis2.ticktext) == (rows if named == "%{y}" else 0)
    assert list(fig.data[0].customdata[1]) == ["g1", "T", "1"]


def test_user_text_reads_literally_in_ticks_legend_menu_and_tooltips():
    table = _table(rows=("<b>X</b>", "a&b"), columns=("%{y}", "B", "<i>C</i>"))
    fig = _dots(color=None, scales={"<b>s</b>": table, "t": table}, size=table / 10, extra={"<n>": table},
                sizeLabel="% <cells>")
    assert list(fig.layout.yaxis.ticktext) == ["&lt;b&gt;X&lt;/b&gt;", "a&amp;b"]
    assert list(fig.layout.xaxis.ticktext)[0] == "&#37;{y}"
    assert fig.data[0].name == fig.layout.updatemenus[0].buttons[0].label == "&lt;b&gt;s&lt;/b&gt;"
    assert fig.data[-3].name == "25&#37; &#37; &lt;cells&gt;"
    assert fig.layout.yaxis2.ticktext[0] == "&lt;b&gt;X&lt;/b&gt;" and fig.layout.xaxis2.ticktext[0] == "&#37;{y}"
    assert "&lt;n&gt;: %{customdata[1]:.4g}" in fig.data[0].hovertemplate


@pytest.mark.parametrize("call, error", [
    (lambda: _dots(color=None), TypeError),
    (lambda: _dots(color=pd.DataFrame({"T": ["a", "b"]}, index=["g1", "g2"])), TypeError),
    (lambda: _dots(scales={"a": _table(), "b": _table().iloc[:1]}), ValueError),
    (lambda: _dots(size=_table(rows=("g1", "g1"))), ValueError),
    (lambda: _render._cellArea((-1, 3), 26.0, 22.0), ValueError),
])
def test_bad_specs_fail_with_ordinary_errors(call, error):
    with pytest.raises(error):
        call()


def test_cell_area_squares_and_fits_short_column_names():
    assert _render._cellArea((5.0, 5), 26.0, 22.0, square=True) == (240.0, 240.0)
    # Short names widen the cells; names too long for any cell leave them as asked.
    assert _render._cellArea((2, 12), 20.0, 26.0, columns=["CD8A"])[0] > 240.0
    assert _render._cellArea((2, 12), 20.0, 26.0, columns=["Plasmacytoid dendritic cells"])[0] == 240.0
