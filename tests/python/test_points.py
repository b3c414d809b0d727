"""The points family: traces per key and category, the rows behind them, sizes and controls."""

import base64

import numpy as np
import pandas as pd
import plotly.graph_objects as go
import pytest

from tessarine.pl._interactive import _render, _spec


def _cells(n, seed=0, name=None):
    rng = np.random.default_rng(seed)
    return pd.DataFrame({"x": rng.normal(size=n), "y": rng.normal(size=n), "type": rng.choice(["T", "B", "NK"], size=n),
                         "CD8A": rng.gamma(2.0, size=n), "sample": rng.choice(["s1", "s2"], size=n)},
                        index=pd.Index([f"cell{i}" for i in range(n)], name=name))


def _spec_for(frame, **kw):
    return _spec.Points(frame=frame, **{
        "x": "x", "y": "y", "keys": ["type"], "categorical": {"type": True, "sample": True}, "size": 4.0, "alpha": 0.8,
        "colors": {"type": {"T": "#E15759", "B": "#4E79A7", "NK": "#59A14F", "empty": "#000000"},
                   "sample": {"s1": "#111111", "s2": "#222222"}}, **kw})


def _decoded(record):  # a payload array as plotly.js reads it back from its typed-array record
    return np.frombuffer(base64.b64decode(record["bdata"]), record["dtype"])


def _draw(spec):
    go.Figure((fig := _render.figureFor(spec)).to_dict())
    return fig


def test_one_trace_per_category_with_the_rows_behind_it():
    frame = _cells(300)
    spec = _spec_for(frame, rows=np.arange(1000, 1300), equalAspect=True, invertY=True)
    own = spec.renderRows
    own.append("stale")
    fig = _draw(spec)
    assert spec.renderRows is own and len(own) == 4  # the spec's own list, refilled
    assert [t.name for t in fig.data] == ["T", "B", "NK", "empty"]
    for trace, rows in zip(fig.data, own):
        members = rows - 1000
        assert np.array_equal(np.asarray(trace.x), frame["x"].to_numpy(np.float32)[members])
        assert (frame["type"].to_numpy()[members] == trace.name).all() or trace.name == "empty"
    assert len(own[3]) == 0 and fig.data[3].hovertemplate == "<extra></extra>"
    assert sum(len(r) for r in own) == 300
    assert fig.layout.yaxis.scaleanchor == "x" and fig.layout.yaxis.autorange == "reversed"


@pytest.mark.parametrize("n, name, kind, identity", [
    (3999, None, "scatter", "cell"), (4000, "barcode", "scattergl", "barcode"),
    (20000, None, "scattergl", "cell"), (20001, None, "scattergl", None),
])
def test_webgl_and_cell_identity_switch_at_their_thresholds(n, name, kind, identity):
    # Plain cells need no dropdown but still get a size slider.
    fig = _draw(_spec_for(_cells(n, name=name), keys=[None]))
    assert [t.name for t in fig.data] == ["cells"] and fig.data[0].type == kind
    assert not fig.layout.updatemenus and len(fig.layout.sliders) == 1
    assert fig.data[0].hovertemplate.startswith(f"{identity}: %{{text}}") is (identity is not None)


def test_cells_outside_the_mapping_are_in_no_trace_of_that_key_only():
    frame = _cells(60)
    frame.loc[frame.index[:5], "type"] = "unknown"
    _draw(spec := _spec_for(frame, keys=["type", "sample"]))
    assert sum(len(r) for r in spec.renderRows[:4]) == 55 and sum(len(r) for r in spec.renderRows[4:]) == 60


@pytest.mark.parametrize("change, error", [
    ({"keys": []}, ValueError), ({"x": "nope"}, KeyError),
    ({"keys": ["CD8A"], "scales": {"CD8A": ("viridis", 0)}}, ValueError), ({"frame": None}, TypeError)])
def test_bad_specs_fail_with_ordinary_errors(change, error):
    kw = {"frame": _cells(10), **change}
    with pytest.raises(error):
        _render.figureFor(_spec_for(kw.pop("frame"), **kw))


@pytest.mark.parametrize("xs, equal, categories, expected", [
    ([0, 1], False, 19, (560.0, 528.0)), ([0, 3], True, 1, (820.0, 520.0)), ([0, np.nan], True, 1, (560.0, 520.0))])
def test_point_area_grows_with_the_legend_and_the_data_aspect(xs, equal, categories, expected):
    spec = _spec_for(pd.DataFrame({"x": xs, "y": [0, 1], "type": "T"}), equalAspect=equal)
    assert _render._pointArea(spec, spec.frame, categories) == expected


def _split_spec(n):
    frame = _cells(n)
    return frame, _spec_for(frame, keys=["type", "CD8A"], hover=["sample", "CD8A"],
                            scales={"CD8A": ("magma", None, None, None, "sequential")})


def test_large_figures_split_traces_by_few_valued_text_instead_of_repeating_it():
    frame, spec = _split_spec(5000)
    fig = _draw(spec)
    # T, B and NK each in two pieces (s1, s2), the empty category once; CD8A holds its colour bar.
    assert [t.name for t in fig.data] == ["T", "T", "B", "B", "NK", "NK", "empty", "CD8A"]
    samples = frame["sample"].to_numpy()
    for trace, rows in zip(fig.data, spec.renderRows):
        if len(rows):
            (value,) = set(samples[rows])
            assert f"sample: {value}<br>" in trace.hovertemplate
            assert np.array_equal(np.asarray(trace.y), frame["y"].to_numpy(np.float32)[rows])
    # Each category keeps one legend entry.
    assert [t.name for t in fig.data[:7] if t.showlegend is not False] == ["T", "B", "NK", "empty"]
    assert len({t.legendgroup for t in fig.data[:2]}) == 1
    assert len(spec.renderRows[7]) == 0 and fig.data[7].marker.showscale is True
    # CD8A recolours the categories' cells with its values, x, y and tooltips left where they are,
    # under one scale and limits; the legend gives way to its colour bar.
    buttons = fig.layout.updatemenus[0].buttons
    assert [b.label for b in buttons] == ["type", "CD8A"]
    state = buttons[1].args[0]
    assert state["visible"] == [True] * 8 and state["showlegend"] == [False] * 8
    assert state["marker.showscale"] == [False] * 7 + [True]
    for record, rows in zip(state["marker.color"][:7], spec.renderRows):
        assert record["dtype"] == "f4" and np.array_equal(_decoded(record), frame["CD8A"].to_numpy(np.float32)[rows])
    assert len({state["marker.cmin"][t] for t in range(8)}) == 1 and "x" not in state and "customdata" not in state
    # Back on the categories, every trace is as built.
    back = buttons[0].args[0]
    assert back["marker.color"][:7] == [t.marker.color for t in fig.data[:7]]
    assert back["hovertemplate"] == [t.hovertemplate for t in fig.data]


@pytest.mark.parametrize("n, values", [(3999, 2), (5000, 17)])
def test_small_figures_and_many_valued_text_keep_one_trace_per_category(n, values):
    frame, spec = _split_spec(n)
    frame["sample"] = [f"sample number {i % values}" for i in range(n)]
    fig = _draw(spec)
    assert [t.name for t in fig.data] == ["T", "B", "NK", "empty", "CD8A"]
    assert [t.visible for t in fig.data] == [True, True, True, True, False]  # the second key's bar hidden until chosen
    assert "sample: %{text}" in fig.data[0].hovertemplate
