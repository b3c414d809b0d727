"""The graph family through figureFor: what the golden figures leave open, and that each validates."""

import numpy as np
import pandas as pd
import plotly.graph_objects as go
import pytest

from tessarine.pl._interactive import _render, _spec


def _edges():
    return pd.DataFrame({"source": ["a", "b", 3, "ghost"], "target": ["b", "a", "a", "b"],
                         "weight": [0.5, 0.25, 1.0, 2.0], "_mask": [True, False, True, True]})


def _positions():
    return {"a": (0.0, 0.0), "b": (2.0, 0.0), "3": (1.0, 1.5)}


def _graph(**kw):
    kw.setdefault("positions", _positions())
    kw.setdefault("names", ["a", "b", 3])
    fig = _render.figureFor(_spec.Graph(**kw))
    go.Figure(fig.to_dict())  # every figure the core builds passes plotly's validation
    return fig


def _threshold(fig):
    return next(s for s in fig.layout.sliders if s.currentvalue.prefix == "edges: ")


def _byName(fig, name):
    return [t for t in fig.data if t.name == name]


def test_no_edges_draws_one_empty_state_without_tooltips_or_threshold_slider():
    fig = _graph(edges=None, directed=True)
    edges, arrows = _byName(fig, "edges"), _byName(fig, "direction")
    assert len(edges) == len(arrows) == 1 and len(edges[0].x) == len(arrows[0].x) == 0
    assert arrows[0].marker.symbol is None
    assert [t.name for t in fig.data[2:]] == ["a", "b", "3"]  # no tooltip trace
    # Only the node-size slider.
    assert [s.currentvalue.prefix for s in fig.layout.sliders] == ["node size: "]


def test_states_as_pairs_step_through_edges_and_arrows_and_tooltips_keep_every_row():
    states = [("loose", [True, True, True, True]), ("strict", np.array([True, False, False, False]))]
    fig = _graph(edges=_edges(), states=states, directed=True, edgeLabel="<b>weight</b>")
    assert [t.visible for t in fig.data[:4]] == [True, False, True, False]  # edges, then arrows
    assert len(fig.data[0].x) == 9 and len(fig.data[3].x) == 1  # ghost's edge is never drawn
    threshold = _threshold(fig)
    assert [s.label for s in threshold.steps] == ["loose", "strict"]
    assert threshold.steps[1].args == ({"visible": [False, False, True, True]}, (0, 2, 1, 3))
    tips = fig.data[4]
    assert tips.name == "&lt;b&gt;weight&lt;/b&gt;"
    # On each arrowhead, so that a to b and b to a keep apart; the ghost's row stays, as NaN.
    assert list(tips.x[:3]) == [1.5, 0.5, 0.25] and np.isnan(tips.x[3])
    assert "_mask" not in tips.hovertemplate and "weight" in tips.hovertemplate


def test_names_read_literally_and_integer_names_match_their_text():
    positions = {"<b>T</b>": (0, 0), "%{x}": (1, 1), "7": (2, 0)}
    fig = _graph(positions=positions, names=["<b>T</b>", "%{x}", 7, "nowhere"], nodeSizes={"7": 30},
                 nodeColors={"7": "rgb(255, 0, 0)"}, states={"<i>all</i>": [], "none": []})
    nodes = fig.data[2:]
    assert [t.name for t in nodes] == ["&lt;b&gt;T&lt;/b&gt;", "&#37;{x}", "7"]
    assert nodes[0].hovertemplate == "&lt;b&gt;T&lt;/b&gt;<extra></extra>"
    assert (nodes[2].marker.size, nodes[2].marker.color) == (30, "rgba(255,0,0,1)")
    assert (nodes[0].marker.size, nodes[0].marker.color) == (14, "#4C4C4C")
    assert _threshold(fig).steps[0].label == "&lt;i&gt;all&lt;/i&gt;"
    labels = [a.text for a in fig.layout.annotations if a.xref == "x" and a.visible is not False]
    assert sorted(labels) == sorted(["&lt;b&gt;T&lt;/b&gt;", "&#37;{x}", "7"])  # no label for "nowhere"


def test_node_ranges():
    assert _render._nodeRanges([]) == (None, None)
    assert _render._nodeRanges([(0, 0), (10, 5)], pad=0.1) == ([-1.0, 11.0], [-0.5, 5.5])
    fig = _graph(positions={"a": (3, 1), "b": (3, 2), "c": (float("nan"), 0)}, names=["a", "b", "c"])
    assert list(fig.layout.xaxis.range) == pytest.approx([2.84, 3.16])  # c is not placed
    assert len(fig.data) == 3  # one empty state, then a and b
    assert _graph(positions={}, names=["a"]).layout.xaxis.range is None


@pytest.mark.parametrize("change, error, message", [
    ({"states": {"s": [True]}}, ValueError, "states['s']: a mask of 1 values"),
    ({"states": {"s": 3}}, TypeError, "states['s']"),
    ({"states": [("s",)]}, ValueError, "states"),
    ({"positions": {"a": (1, 2, 3)}}, ValueError, "positions"),
    ({"nodeSizes": {"a": -1}}, ValueError, "nodeSizes['a']"),
    ({"nodeColors": {"b": "not a colour"}}, ValueError, "nodeColors['b']"),
    ({"edges": pd.DataFrame({"from": ["a"], "target": ["b"]})}, KeyError, "source"),
])
def test_bad_records_fail_by_name(change, error, message):
    kw = {"edges": _edges(), **change}
    with pytest.raises(error, match=message.replace("[", r"\[").replace("]", r"\]")):
        _graph(**kw)
