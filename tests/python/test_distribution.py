"""The distribution family end to end: panels, styles, labels, thresholds and the errors it raises."""

import numpy as np
import plotly.graph_objects as go
import pytest

from tessarine.pl._interactive import _layout, _render, _spec


def _figure(**kw):
    fig = _render.figureFor(_spec.Distribution(**kw))
    go.Figure(fig.to_dict())  # every figure the core builds passes plotly's validation
    return fig


def _plotWidth(fig):
    # Width and margins are each rounded to whole pixels.
    return pytest.approx(fig.layout.width - fig.layout.margin.l - fig.layout.margin.r, abs=1)


def _menu(fig, label):
    return next(m for m in fig.layout.updatemenus if any(b.label == label for b in m.buttons))


PANELS = {"CD3E": {"T": [1.0, 2.0], "B": [0.5]}, "MS4A1": {"B": [3.0, 4.0, 5.0]}}


def test_each_panel_is_a_run_of_traces_the_dropdown_shows_with_its_own_axis_title():
    fig = _figure(panels=PANELS, valueLabel="expression", style="box")
    # The panels hold different groups: each draws every group, T lacking in MS4A1.
    assert [t.name for t in fig.data] == ["T", "B", "T", "B"] and {t.type for t in fig.data} == {"box"}
    assert [len(t.y) for t in fig.data] == [2, 1, 0, 3]
    # The axis holds both groups in every panel, the empty one too.
    assert fig.layout.xaxis.categoryarray == ("T", "B") and fig.layout.xaxis.range == (-0.5, 1.5)
    assert [t.visible for t in fig.data] == [True, True, False, False]
    assert [t.showlegend for t in fig.data] == [True, True, False, False]
    menu = _menu(fig, "CD3E")
    assert [b.args[0]["visible"] for b in menu.buttons] == [[True, True, False, False], [False, False, True, True]]
    assert [b.args[1]["yaxis.title.text"] for b in menu.buttons] == ["CD3E · expression", "MS4A1 · expression"]
    assert fig.layout.yaxis.title.text == "CD3E · expression"
    assert fig.layout.showlegend is False  # no group order
    # Panels of the same groups draw them as they stand, in their own order.
    fig = _figure(panels={"x": {"b": [1.0], "a": [2.0]}, "y": {"b": [3.0], "a": [4.0]}})
    assert [t.name for t in fig.data] == ["b", "a", "b", "a"]
    # A group's text shared by two keys of one panel keeps both.
    fig = _figure(panels={"x": {1: [1.0], "1": [2.0]}, "y": {"c": [3.0]}})
    assert [(t.name, list(t.y)) for t in fig.data] == [("1", [1.0]), ("1", [2.0]), ("c", []), ("1", []), ("c", [3.0])]


def test_a_group_order_draws_every_group_in_every_panel_and_sizes_the_plot_by_it():
    order = [f"g{i}" for i in range(10)]
    panels = {p: {g: [float(i), i + 1.0] for i, g in enumerate(order[3 * p:3 * p + 3])} for p in range(3)}
    fig = _figure(panels=panels, order=order)
    assert len(fig.data) == 30 and [t.name for t in fig.data[10:20]] == order
    assert len(fig.data[13].y) == 2 and len(fig.data[10].y) == 0  # a group the panel lacks is drawn empty
    assert [len(b.args[0]["visible"]) for b in _menu(fig, "0").buttons] == [30] * 3
    # Ten groups are drawn, though no panel holds more than three.
    assert _plotWidth(fig) == 520 and fig.layout.showlegend is True
    # The order's keys find the groups as Python would: 1 finds 1.0.
    fig = _figure(parts={1.0: [2.0, 3.0], "b": [1.0]}, order=[1, "b"])
    assert [t.name for t in fig.data] == ["1", "b"] and len(fig.data[0].y) == 2


@pytest.mark.parametrize("groups, width", [(0, 320), (3, 320), (8, 416), (40, _layout.MAX_PLOT_WIDTH)])
def test_width_follows_the_fullest_panel(groups, width):
    assert _plotWidth(_figure(parts={f"group {i}": [1.0] for i in range(groups)})) == width


@pytest.mark.parametrize("style, kind", [("violin", "violin"), ("", "violin"), ("Box", "violin"),
                                         ("box", "box"), ("strip", "box")])
def test_styles_and_their_controls(style, kind):
    fig = _figure(parts={"a": [1.0, 2.0, 3.0]}, style=style)
    assert fig.data[0].type == kind
    strip = style == "strip"
    assert (kind == "box" and fig.data[0].boxpoints == "all") is strip
    assert len(fig.layout.sliders or ()) == strip  # the size slider in strip style only
    assert [b.label for b in fig.layout.updatemenus[0].buttons] == ["linear", "log"]  # the lone control
    # Label positions on either axis type: tests/cpp/render/distribution_test.cpp and the browser.
    log = _figure(parts={"a": [1.0, 10.0]}, thresholds={"low": 10}, log=True, style=style)
    assert log.layout.yaxis.type == "log" and log.layout.updatemenus[0].active == 1


def test_non_finite_values_are_left_out_and_strip_labels_leave_with_them():
    values = [1.0, np.nan, 3.0, np.inf, 5.0, -np.inf]
    names = ["c1", "c2", "c3", "c4", "c5", "c6"]
    fig = _figure(panels={"p": {"a": values, "b": [7.0]}}, style="strip", points={("p", "a"): names, "b": ["x"]})
    assert list(fig.data[0].y) == [1.0, 3.0, 5.0]
    assert list(fig.data[0].text) == ["c1", "c3", "c5"]  # each label stays on its own value
    assert list(fig.data[1].text) == ["x"]  # the group's own entry when the pair has none
    # A panel without the group draws it empty, its labels left to the panels that hold it.
    fig = _figure(panels={"p": {"a": [1.0, 2.0]}, "q": {"b": [3.0]}}, order=["a", "b"], style="strip",
                  points={"a": ["c1", "c2"]})
    assert [len(t.y) for t in fig.data] == [2, 0, 0, 1] and list(fig.data[0].text) == ["c1", "c2"]
    assert fig.data[0].hovertemplate == "%{text}<br>%{y:.4g}<extra></extra>"
    unlabelled = _figure(parts={"a": values}, style="strip").data[0]
    assert unlabelled.text is None and unlabelled.hovertemplate is None
    with pytest.raises(ValueError, match="points: 5 labels for the 6 values of group 'a' in panel 'p'"):
        _figure(panels={"p": {"a": values}}, style="strip", points={"a": names[:5]})


def test_group_names_labels_and_thresholds_read_literally():
    fig = _figure(parts={"<b>T</b>": [1.0], "%{y}": [2.0]}, order=["<b>T</b>", "%{y}"], style="strip",
                  points={"<b>T</b>": ["<i>cell</i>"]}, thresholds={"<cut>": 1.5}, groupLabel="a&b")
    assert [t.name for t in fig.data] == ["&lt;b&gt;T&lt;/b&gt;", "&#37;{y}"]
    assert list(fig.data[0].text) == ["&lt;i&gt;cell&lt;/i&gt;"]
    assert fig.layout.annotations[0].text == "&lt;cut&gt;" and fig.layout.xaxis.title.text == "a&amp;b"
    violin = _figure(parts={"%{y}": [1.0]}).data[0]
    assert violin.hovertemplate == "&#37;{y}<br>%{y:.4g}<extra></extra>"


@pytest.mark.parametrize("change, error", [
    ({"panels": [1, 2]}, TypeError), ({"parts": {"a": ["x"]}}, ValueError), ({"parts": None}, AttributeError),
    ({"thresholds": {"t": "high"}}, ValueError), ({"thresholds": {"t": float("nan")}}, ValueError),
    ({"colors": {"a": "no colour"}}, ValueError), ({"order": [["unhashable"]]}, TypeError)])
def test_bad_specs_fail_with_ordinary_errors(change, error):
    with pytest.raises(error):
        _figure(**{"parts": {"a": [1.0]}, **change})
