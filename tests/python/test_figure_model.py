"""The core's figure model against plotly.py: JSON equality, zero-copy hand-over, failures."""

import json
import math

import hypothesis.extra.numpy as hnp
import numpy as np
import orjson
import plotly.graph_objects as go
import plotly.io as pio
import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

from tessarine.pl._interactive import _render, examples


def _plotlyJson(fig):
    return json.loads(fig.to_json())


def _coreJson(fig):
    return json.loads(_render._coreJson(fig))


def test_core_json_equals_plotly_json_and_the_round_trip_validates():
    rng = np.random.default_rng(1)
    x = rng.normal(size=50).astype(np.float32)
    x[3:5] = np.nan, np.inf
    fig = go.Figure([
        go.Scattergl(x=x, y=rng.normal(size=50), mode="markers", name="Γ-δ T cells / naïve",
                     marker={"color": rng.integers(0, 20, 50), "size": np.arange(50, dtype=np.uint16)},
                     customdata=rng.random((50, 3)).astype(np.float32), text=[f"cell <{i}> & %{{x}}" for i in range(50)],
                     hovertemplate="%{text}<br>%{customdata[0]:.4g}<extra></extra>"),
        go.Heatmap(z=rng.random((4, 5)), x=list("abcde"), zmid=0.5),
        go.Bar(x=["a", "b"], y=np.array([2**40, 3], dtype=np.int64), width=np.array([0.5, 0.5])),
        go.Scatter(x=np.array([1, 2], dtype=np.int8), y=np.array([1, 2], dtype=np.uint32), ids=np.array([], dtype=float)),
    ], layout={"title": {"text": "</script><b>title</b>"}, "xaxis": {"range": np.array([0.0, 1.5])},
               "meta": {"nan": math.nan, "big": 2**62, "neg": -0.0}})
    assert _coreJson(fig) == _plotlyJson(fig)
    back = _render._roundTrip(fig)
    go.Figure(back.to_dict())  # plotly's validators accept every value the core hands over
    assert isinstance(back, go.Figure) and _plotlyJson(back) == _coreJson(fig)


def test_a_million_float32_values_cross_without_copies():
    values = np.random.default_rng(2).random(1_000_000, dtype=np.float32)
    fig = _render._roundTrip({"data": [{"type": "scattergl", "x": values, "y": values}], "layout": {}})
    x = fig.data[0].x
    assert x.dtype == np.float32 and np.shares_memory(x, values) and not x.flags.writeable
    assert _plotlyJson(fig) == _coreJson(fig)
    # plotly.py deep-copies traces on its figure operations; read-only buffers are shared instead.
    fig.update_layout(title_text="still shared")
    assert np.shares_memory(fig.data[0].x, values)


_deep, _looped = [], {}
for _ in range(100_000):
    _deep = [_deep]
_looped["self"] = _looped


@pytest.mark.parametrize("bad, error", [
    ({"data": [{"type": "bar", "x": object()}], "layout": {}}, TypeError),
    ({"data": [{1: "non-string key"}], "layout": {}}, TypeError),
    ({"data": [], "layout": []}, TypeError),
    ({"layout": {}}, KeyError),
    ({"data": [], "layout": {"meta": _deep}}, ValueError),  # refused, not a crash
    ({"data": [], "layout": {"meta": _looped}}, ValueError),
])
def test_bad_figures_raise_ordinary_errors(bad, error):
    with pytest.raises(error):
        _render._coreJson(bad)


# float32 inside lists is left out: plotly's two JSON engines write it differently.
_arrays = hnp.arrays(st.sampled_from([np.float64, np.int8, np.uint8, np.int16, np.int32, np.uint32, np.int64, np.uint64,
                                      np.bool_]), hnp.array_shapes(min_dims=1, max_dims=3, min_side=0, max_side=4))
_leaves = st.one_of(st.none(), st.booleans(), st.integers(-(2**63), 2**64 - 1), st.floats(), st.text(max_size=8), _arrays)
# Keys plotly.py leaves unencoded ("range", "layers") come up as often as others.
_keys = st.sampled_from(["range", "layers", "x"]) | st.text(max_size=5)
_trees = st.recursive(_leaves, lambda c: st.lists(c, max_size=3) | st.dictionaries(_keys, c, max_size=3),
                      max_leaves=12)




@settings(max_examples=150, deadline=None)
@given(tree=_trees)
def test_any_plain_tree_serialises_like_plotly(tree):
    fig = go.Figure({"data": [], "layout": {"meta": tree}}, _validate=False)
    assert _coreJson(fig) == _plotlyJson(fig)
    # The handed-back figure writes its pages from its own plain form: it must be plotly.py's.
    back = _render._roundTrip(fig)
    for engine in ("json", "orjson"):
        assert (pio.json.to_json_plotly(back.to_dict(), engine=engine)
                == pio.json.to_json_plotly(go.Figure.to_dict(back), engine=engine))


@pytest.mark.parametrize("name", ["matrix-markers", "dots-markers", "points-small"])
def test_pages_are_the_pages_plotly_writes(name):
    fig, _ = examples.figureAndConfig(dict((n, make) for n, _, make in examples.EXAMPLES)[name])
    fig.add_scatter(x=np.arange(3), y=np.array([1.0, 2.0, 3.0]))  # a host's own arrays beside the renderer's
    page = fig.to_html(include_plotlyjs=False, div_id="figure")
    assert page == pio.to_html(go.Figure.to_dict(fig), validate=False, include_plotlyjs=False, div_id="figure")
    # orjson writes the plain form as it is: plotly.py's slow cleaning pass is never needed.
    orjson.dumps(fig.to_dict(), option=orjson.OPT_NON_STR_KEYS | orjson.OPT_SERIALIZE_NUMPY)
