"""Control builders: dropdowns over trace groups, the marker-size slider and dropdown axis titles."""

import math

import numpy as np
import plotly.graph_objects as go
import pytest
from hypothesis import given, strategies as st

from tessarine.pl._interactive import _layout, _render

TIMES = "\u00d7"


def _scatter(*sizes):
    fig = go.Figure()
    for i, size in enumerate(sizes):
        fig.add_trace(go.Scatter(x=[0, 1, 2], y=[i, 1, 2], mode="markers", marker={"size": size}, name=f"t{i}"))
    return fig


def _mapping(*markers):
    return {"data": [{"type": "scatter", "marker": m} for m in markers], "layout": {}}


def _steps(entry):
    return entry["menu"]["steps"]


def _payload(step):
    sizes, traces = step["args"]
    return sizes["marker.size"], traces


# ---- marker sizes and the one-size test -----------------------------------------------------------

def test_marker_sizes_skip_traces_without_one_and_keep_the_order_asked():
    fig = _scatter(6, np.array([1.0, 2.0, 3.0]))
    fig.add_trace(go.Heatmap(z=[[1, 2]]))
    fig.add_trace(go.Scatter(x=[0], y=[0], marker={"color": "red"}))
    kept, sizes = _render._markerSizes(fig, [3, 2, 1, 0, -1])
    assert kept == [1, 0]
    assert sizes[0].tolist() == [1.0, 2.0, 3.0] and sizes[1] == 6
    assert _render._markerSizes(_mapping({"size": 4}, None, {"size": None}), (0, 1, 2)) == ([0], [4])


@pytest.mark.parametrize("sizes, uniform", [
    ([92, 100], 92.0),           # exactly 8 % still counts as one size
    ([92, 100.01], None),
    ([0, 0], None),
    ([6, np.array([6.0, 6.0])], None),
    ([np.float32(5), 5], 5.0),
])
def test_uniform_size(sizes, uniform):
    assert _render._uniformSize(sizes) == uniform


def test_uniform_size_tolerance_is_positional_and_an_empty_list_fails():
    assert _render._uniformSize([3, 4], 0.5) == 3.0
    with pytest.raises(IndexError):
        _render._uniformSize([])
    with pytest.raises(TypeError):
        _render._uniformSize([6, "6"])


# ---- the size slider ------------------------------------------------------------------------------

def test_uniform_sizes_give_the_absolute_ladder():
    fig = _scatter(6, 6, 6.4)
    fig.add_trace(go.Heatmap(z=[[1]]))
    slider = _render.sizeSlider(fig)["menu"]
    assert slider["steps"][slider["active"]]["label"] == "6"
    for step in slider["steps"]:
        sizes, traces = _payload(step)
        assert traces == [0, 1, 2]
        assert sizes == [float(step["label"])] * 3 and format(sizes[0], "g") == step["label"]


def test_array_sizes_give_the_relative_ladder_wrapped_once_per_trace():
    slider = _render.sizeSlider(_scatter(np.array([1.0, 3.33, 0.125]), 5))["menu"]
    assert slider["steps"][slider["active"]]["label"] == "1" + TIMES
    for factor, step in zip(_layout.SIZE_FACTORS, slider["steps"], strict=True):
        sizes, traces = _payload(step)
        assert traces == [0, 1]
        assert list(sizes[0]) == [round(v * factor, 2) for v in (1.0, 3.33, 0.125)]
        assert sizes[1] == round(5.0 * factor, 2)


@given(st.lists(st.floats(0.001, 500, allow_nan=False), min_size=1, max_size=20))
def test_relative_steps_round_as_python_does(values):
    entry = _render.sizeSlider(_mapping({"size": values}))
    for factor, step in zip(_layout.SIZE_FACTORS, _steps(entry)):
        (sizes,) = _payload(step)[0]
        assert list(sizes) == [round(v * factor, 2) for v in values]


@pytest.mark.parametrize("sizes, relative", [
    ((6, 6), True),    # forced: uniform sizes scale by factors all the same
    ((0, 6), False),   # a first size of zero has no pixel ladder
    ((6, 7), False),
])
def test_relative_ladder_when_forced_or_without_one_size(sizes, relative):
    entry = _render.sizeSlider(_mapping(*({"size": s} for s in sizes)), label="dot scale", relative=relative)
    labels = [s["label"] for s in _steps(entry)]
    assert labels == [format(f, "g") + TIMES for f in _layout.SIZE_FACTORS]
    assert entry["menu"]["currentvalue"]["prefix"] == "dot scale: " and "suffix" not in entry["menu"]["currentvalue"]
    assert _payload(_steps(entry)[0])[0] == [round(float(s) * 0.25, 2) for s in sizes]


def test_slider_acts_on_the_chosen_traces_only_and_is_absent_without_sizes():
    fig = _scatter(6, 20)
    fig.add_trace(go.Heatmap(z=[[1]]))
    entry = _render.sizeSlider(fig, [1])
    assert all(_payload(s)[1] == [1] for s in _steps(entry))
    assert entry["menu"]["steps"][entry["menu"]["active"]]["label"] == "20"
    assert _render.sizeSlider(fig, [2]) is None
    assert _render.sizeSlider(fig, []) is None and _render.sizeSlider(_mapping()) is None
    # A negative index counts from the end, and plotly is handed the position itself.
    assert _payload(_steps(_render.sizeSlider(fig, [-2]))[0])[1] == [1]


@pytest.mark.parametrize("call, error", [
    (lambda: _render.sizeSlider(_scatter(6), [1]), IndexError),
    (lambda: _render.sizeSlider(_scatter(6), [-2]), IndexError),
    (lambda: _render._markerSizes(_scatter(6), [2**70]), IndexError),
    (lambda: _render.sizeSlider(_scatter(6), [0.0]), TypeError),
    (lambda: _render.sizeSlider(_scatter(6), 0), TypeError),
    (lambda: _render.sizeSlider(_scatter(6), label=None), TypeError),
    (lambda: _render.sizeSlider(_mapping({"size": [1, "x"]}), relative=True), TypeError),
    (lambda: _render.sizeSlider(_mapping("big")), TypeError),
    (lambda: _render.sizeSlider(_mapping({"size": np.ones((2, 2))})), ValueError),
    (lambda: _render.sizeSlider(_mapping({"size": math.nan})), ValueError),
])
def test_bad_slider_input_fails_with_an_ordinary_error(call, error):
    with pytest.raises(error):
        call()


# ---- axis titles, dropdowns and visibility --------------------------------------------------------

def test_axis_title_escapes_name_and_base_around_a_middle_dot():
    assert _render.axisTitleFor("CD3") == _render.axisTitleFor("CD3", "") == _render.axisTitleFor("CD3", None) == "CD3"
    assert _render.axisTitleFor("<b>A</b>", "50% & up") == "&lt;b&gt;A&lt;/b&gt; \u00b7 50&#37; &amp; up"
    assert _render.axisTitleFor(3, 2.5) == "3 \u00b7 2.5"


def test_visibility_masks_one_run_of_traces_per_group():
    assert _render._visibility([2, 3], 1) == [False, False, True, True, True]
    assert _render._visibility([0, 2], 0) == [False, False]
    assert _render._visibility([1, 1], 5) == [False, False]
    with pytest.raises(ValueError):
        _render._visibility([1, -1], 0)
    with pytest.raises(TypeError):
        _render._visibility([1.5], 0)


def test_dropdown_buttons_show_their_group_only():
    buttons = _render.dropdownControl(["a", "b"], [2, 1])["menu"]["buttons"]
    assert [b["args"] for b in buttons] == [[{"visible": [True, True, False]}], [{"visible": [False, False, True]}]]


def test_dropdown_takes_positional_options_and_labels_of_any_type():
    entry = _render.dropdownControl(["<b>x</b>", 7], (1, 1), "feature", 1, "right", "x", "log2 <fc>")
    assert entry["label"] == "feature" and entry["align"] == "right" and entry["menu"]["active"] == 1
    assert [b["label"] for b in entry["menu"]["buttons"]] == ["&lt;b&gt;x&lt;/b&gt;", "7"]
    assert entry["menu"]["buttons"][1]["args"][1] == {"xaxis.title.text": "7 \u00b7 log2 &lt;fc&gt;"}
    for axis in (None, "z", 1):
        buttons = _render.dropdownControl(["a"], [1], axisTitle=axis, axisBase="v")["menu"]["buttons"]
        assert len(buttons[0]["args"]) == 1
    assert _render.dropdownControl(["a"], [1], axisTitle="y")["menu"]["buttons"][0]["args"][1] == {
        "yaxis.title.text": "a"}
    with pytest.raises(ValueError):
        _render.dropdownControl(["a"], [1], align="middle")


# ---- in the browser: every state shows what it claims ---------------------------------------------

def _judged(fig, entry):
    from browser.judge import judge

    _render.finishFigure(fig, None, controls=[entry])
    # The mode bar's upload button is the config's business, not the controls'.
    report = judge(fig, {"showSendToCloud": False}, states=True)
    report.assertClean()
    assert report.states, "the control offered no states"
    return report


@pytest.mark.browser
def test_absolute_steps_resize_every_uniform_trace_and_nothing_else():
    fig = _scatter(6, 6, 6)
    fig.add_trace(go.Scatter(x=[0, 1], y=[1, 0], mode="lines", name="line"))
    report = _judged(fig, _render.sizeSlider(fig))
    for state in report.states:
        assert state["visible"] == [0, 1, 2, 3]
        assert state["markerSize"][:3] == [float(state["label"])] * 3
        assert state["markerSize"][3] == report.initial["markerSize"][3]


@pytest.mark.browser
def test_relative_steps_scale_an_array_size_point_by_point():
    values = np.array([4.0, 8.0, 12.0, 3.33])
    fig = go.Figure(go.Scatter(x=[0, 1, 2, 3], y=[0, 1, 2, 3], mode="markers", marker={"size": values}, name="n"))
    report = _judged(fig, _render.sizeSlider(fig))
    assert [s["label"] for s in report.states] == [format(f, "g") + TIMES for f in _layout.SIZE_FACTORS]
    for factor, state in zip(_layout.SIZE_FACTORS, report.states):
        # Python's round on floats, which numpy's (scale, rint, unscale) does not match: 1.665 -> 1.67.
        scaled = [round(v * factor, 2) for v in values.tolist()]
        assert state["markerSize"] == [{"n": 4, "min": min(scaled), "max": max(scaled)}]


@pytest.mark.browser
def test_dropdown_states_show_their_group_and_retitle_the_axis():
    names = ["<b>x</b>", "CD8 & 50%"]
    fig = go.Figure([go.Scatter(x=[0, 1], y=[0, 1], name="a1"), go.Scatter(x=[0, 1], y=[1, 0], name="a2"),
                     go.Scatter(x=[0, 1], y=[2, 2], name="b1", visible=False)])
    fig.update_yaxes(title_text=_render.axisTitleFor(names[0], "value"))
    report = _judged(fig, _render.dropdownControl(names, [2, 1], label="feature", axisTitle="y",
                                                  axisBase="value"))
    assert report.boxes["dropdown"][0]["text"].startswith("<b>x</b>")
    assert [s["visible"] for s in report.states] == [[0, 1], [2]]
    assert [s["axisTitles"]["yaxis"] for s in report.states] == [_render.axisTitleFor(n, "value") for n in names]
    assert report.boxes["ytitle"][0]["text"] == "<b>x</b> \u00b7 value"
