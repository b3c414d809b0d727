"""The matrix family end to end: views, the missing-value layer, tooltips, and refusals."""

import numpy as np
import pandas as pd
import plotly.graph_objects as go
import pytest

from tessarine.pl._interactive import _render, _spec


def _table(rows=3, columns=2, offset=0.0):
    values = np.arange(rows * columns, dtype=float).reshape(rows, columns) / 10 + offset
    return pd.DataFrame(values, index=[f"g{i}" for i in range(rows)], columns=[f"c{j}" for j in range(columns)])


def _matrix(**kw):
    kw.setdefault("frame", _table())
    fig = _render.figureFor(_spec.Matrix(**kw))
    go.Figure(fig.to_dict())  # every figure the core builds passes plotly's validation
    return fig


def _buttons(fig):
    return fig.layout.updatemenus[0].buttons if fig.layout.updatemenus else ()


def test_plain_tables_and_views_of_every_scale_under_every_order():
    fig = _matrix(xlabel="", ylabel="")  # a plain table: one float32 heatmap, no controls, default axis names
    assert fig.data[0].z.dtype == np.float32 and not _buttons(fig)
    assert fig.data[0].hovertemplate.startswith("row: %{y}<br>column: %{x}<br>value: %{z:.4g}<br>")
    # The view payloads are pinned by the golden matrix; orders may be any integer sequence.
    orders = {"a": ([2, 1, 0], [1, 0]), "b": (np.array([0, 2, 1]), [0, 1])}
    buttons = _buttons(_matrix(scales={"s1": _table(), "s2": _table(offset=5.0)}, orders=orders))
    assert [b.label for b in buttons] == ["s1 · a", "s1 · b", "s2 · a", "s2 · b"]
    assert list(buttons[3].args[1]["yaxis.categoryarray"]) == ["g0", "g2", "g1"]


def test_missing_cells_of_any_scale_get_a_flat_layer_under_the_heatmap():
    first, second = _table(), _table()
    second.iloc[2, 1] = np.nan
    fig = _matrix(frame=first, scales={"s1": first, "s2": second}, naLabel="", naColor="")
    *heatmaps, key = fig.data
    (layer,) = fig.layout.shapes  # a rectangle under every cell, in every order
    assert (layer.x0, layer.x1, layer.y0, layer.y1, layer.layer) == (-0.5, 1.5, -0.5, 2.5, "between")
    assert key.name == "not measured" and key.showlegend is True  # an empty label takes the default
    assert key.marker.color == layer.fillcolor
    # One heatmap per scale, each scale's values in it once: a view shows one of them, whose
    # gaps show the layer wherever its values are missing.
    assert [h.visible for h in heatmaps] == [None, False] and np.isnan(heatmaps[1].z[2, 1])
    update, _, traces = _buttons(fig)[1].args
    assert list(traces) == [0, 1] and update == {"visible": [False, True]}


def test_tooltip_layers_align_by_label_and_text_layers_turn_every_layer_to_text():
    partial = pd.DataFrame({"c1": [7, 12000], "c0": [1, 2]}, index=["g2", "g0"])
    heatmap = _matrix(cellHover={"cells": partial}, ylabel="").data[0]
    assert heatmap.customdata.shape == (3, 2, 1) and heatmap.customdata.dtype == np.float32
    assert heatmap.customdata[0, 1, 0] == 12000 and np.isnan(heatmap.customdata[1, 0, 0])
    # A text layer turns every layer into escaped strings, the values of each scale first: a
    # missing value reads "-" there too, and each view's template reads its scale's plane.
    words = pd.DataFrame([["<b>x</b>", "y"]] * 2, index=["g0", "g1"], columns=["c0", "c1"])
    second = _table().astype(float)
    second.iloc[0, 0] = np.nan
    fig = _matrix(scales={"s1": _table(), "s2": second}, cellHover={"n": _table().astype(int), "seen": words})
    heatmap, second_view = fig.data[:2]
    assert heatmap.customdata[0][0] == ["0", "-", "0", "&lt;b&gt;x&lt;/b&gt;"]
    assert heatmap.customdata[2][1] == ["0.5", "0.5", "0", "-"]
    assert heatmap.hovertemplate.endswith(
        "value: %{customdata[0]}<br>n: %{customdata[2]}<br>seen: %{customdata[3]}<br><extra></extra>")
    assert "value: %{customdata[1]}<br>" in second_view.hovertemplate
    # With no value missing, the value line reads the heatmap's own z.
    plain = _matrix(cellHover={"seen": words}).data[0]
    assert plain.customdata[0][0] == ["&lt;b&gt;x&lt;/b&gt;"] and "value: %{z:.4g}<br>" in plain.hovertemplate


def test_names_notes_and_repeats_stay_literal_and_apart():
    table = pd.DataFrame(np.ones((3, 1)), index=["<i>A</i>", "B", "B"], columns=["50%"])
    fig = _matrix(frame=table, rowNotes={"B": "(note)"}, square=True)
    heatmap = fig.data[0]
    assert fig.layout.yaxis.scaleanchor == "x"  # square cells
    assert heatmap.y[0] == "&lt;i&gt;A&lt;/i&gt;" and heatmap.x[0] == "50&#37;"
    assert heatmap.y[1] == "B (note)" and heatmap.y[2] == "B (note)\u200b"  # two rows of one name, two places


def test_values_are_printed_up_to_the_cell_limit():
    for rows, printed in ((20, True), (21, False)):
        fig = _matrix(frame=_table(rows, 20), scales={"a": _table(rows, 20), "b": _table(rows, 20)}, showValues=True)
        assert (fig.data[0].texttemplate == "%{z:.2f}") is printed


@pytest.mark.parametrize("call, error", [
    (lambda: _matrix(orders={"a": ([0, 1, 2],)}), ValueError),
    (lambda: _matrix(orders={"a": ([0, 1, 3], [0, 1])}), IndexError),
    (lambda: _matrix(orders={"a": ([0.5], [0])}), TypeError),
    (lambda: _matrix(frame=pd.DataFrame({"a": ["x", "y"]})), TypeError),
    (lambda: _render.matrix(object()), AttributeError),
])
def test_bad_input_fails_plainly(call, error):
    with pytest.raises(error):
        call()
