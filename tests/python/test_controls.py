"""Control builders: dropdowns over trace groups, the marker-size slider and dropdown axis titles."""

import math

import numpy as np
import plotly.graph_objects as go
import pytest
from hypothesis import given, strategies as st

from tessarine.pl._interactive import _layout, _render

TIMES = "\u00d7"


def _scatter(*sizes):
    return go.Figure([go.Scatter(x=[0, 1, 2], y=[i, 1, 2], mode="markers", marker={"size": size}, name=f"t{i}")
                      for i, size in enumerate(sizes)])


def _mapping(*markers):
    return {"data": [{"type": "scatter", "marker": m} for m in markers], "layout": {}}


def _steps(entry):
    return entry["menu"]["steps"]


def _payload(step):
    return step["args"][0]["marker.size"], step["args"][1]


@pytest.mark.parametrize("sizes, label", [
    ((6, 6, 6.4), "6"),                  # one size within 8 %, the first one's ladder
    ((92, 100), "92"),                   # exactly 8 % still counts as one size
    ((92, 100.01), "1" + TIMES),
    ((0, 0), "1" + TIMES),               # a first size of zero has no pixel ladder
    ((6, np.array([6.0, 6.0])), "1" + TIMES),
])
def test_one_size_gives_the_absolute_ladder_else_the_relative_one(sizes, label):
    fig = _scatter(*sizes)
    fig.add_trace(go.Heatmap(z=[[1]]))
    entry = _render.sizeSlider(fig)
    assert _steps(entry)[entry["menu"]["active"]]["label"] == label
    for step in _steps(entry):
        sizes, traces = _payload(step)
        assert traces == list(range(len(sizes)))
        if not label.endswith(TIMES):
            assert sizes == [float(step["label"])] * len(sizes) and format(sizes[0], "g") == step["label"]


@given(st.lists(st.floats(0.001, 500, allow_nan=False), min_size=1, max_size=20))
def test_relative_steps_round_as_python_does_wrapped_once_per_trace(values):
    entry = _render.sizeSlider(_mapping({"size": np.array(values)}, None, {"size": 5.0}))
    for factor, step in zip(_layout.SIZE_FACTORS, _steps(entry), strict=True):
        (sizes, scalar), traces = _payload(step)
        assert list(sizes) == [round(v * factor, 2) for v in values] and traces == [0, 2]
        assert scalar == round(5.0 * factor, 2)


def test_forced_relative_ladder_its_caption_and_chosen_traces():
    entry = _render.sizeSlider(_mapping({"size": 6}, {"size": 6}), label="dot scale", relative=True)
    assert [s["label"] for s in _steps(entry)] == [format(f, "g") + TIMES for f in _layout.SIZE_FACTORS]
    assert entry["menu"]["currentvalue"]["prefix"] == "dot scale: " and "suffix" not in entry["menu"]["currentvalue"]
    fig = _scatter(6, 20)
    fig.add_trace(go.Heatmap(z=[[1]]))
    assert all(_payload(s)[1] == [1] for s in _steps(_render.sizeSlider(fig, [2, 1])))
    assert _render.sizeSlider(fig, [2]) is None and _render.sizeSlider(_mapping()) is None
    # A negative index counts from the end, and plotly is handed the position itself.
    assert _payload(_steps(_render.sizeSlider(fig, [-2]))[0])[1] == [1]


@pytest.mark.parametrize("call, error", [
    (lambda: _render.sizeSlider(_scatter(6), [-2]), IndexError),
    (lambda: _render.sizeSlider(_scatter(6), [2**70]), IndexError),
    (lambda: _render.sizeSlider(_scatter(6), [0.0]), TypeError),
    (lambda: _render.sizeSlider(_mapping({"size": 6}, {"size": "6"})), TypeError),
    (lambda: _render.sizeSlider(_mapping({"size": np.ones((2, 2))})), ValueError),
    (lambda: _render.sizeSlider(_mapping({"size": math.nan})), ValueError),
    (lambda: _render.dropdownControl(["a", "b"], [1, -1]), ValueError),
    (lambda: _render.dropdownControl(["a"], [1.5]), TypeError),
])
def test_bad_control_input_fails_with_an_ordinary_error(call, error):
    with pytest.raises(error):
        call()


def test_dropdown_buttons_show_their_group_and_retitle_the_axis():
    assert _render.axisTitleFor("CD3") == _render.axisTitleFor("CD3", None) == "CD3"
    assert _render.axisTitleFor(3, "50% & up") == "3 \u00b7 50&#37; &amp; up"
    buttons = _render.dropdownControl(["a", "b", "c"], [2, 0, 1])["menu"]["buttons"]
    assert [b["args"] for b in buttons] == [[{"visible": [True, True, False]}], [{"visible": [False, False, False]}],
                                            [{"visible": [False, False, True]}]]
    entry = _render.dropdownControl(["<b>x</b>", 7], (1, 1), "feature", 1, "right", "x", "log2 <fc>")
    assert entry["label"] == "feature" and entry["align"] == "right" and entry["menu"]["active"] == 1
    assert [b["label"] for b in entry["menu"]["buttons"]] == ["&lt;b&gt;x&lt;/b&gt;", "7"]
    assert entry["menu"]["buttons"][1]["args"][1] == {"xaxis.title.text": "7 \u00b7 log2 &lt;fc&gt;"}
    assert len(_render.dropdownControl(["a"], [1], axisTitle=None, axisBase="v")["menu"]["buttons"][0]["args"]) == 1


# ---- in the browser: every state shows what it claims ---------------------------------------------

def _judged(fig, entry):
    from browser.judge import judge

    _render.finishFigure(fig, None, controls=[entry])
    report = judge(fig, {"showSendToCloud": False}, states=True)  # the upload button is the config's business
    report.assertClean()
    assert report.states, "the control offered no states"
    return report


@pytest.mark.browser
def test_absolute_steps_resize_every_uniform_trace_and_nothing_else():
    fig = _scatter(6, 6, 6)
    fig.add_trace(go.Scatter(x=[0, 1], y=[1, 0], mode="lines", name="line"))
    report = _judged(fig, _render.sizeSlider(fig))
    for state in report.states:
        assert state["visible"] == [0, 1, 2, 3] and state["markerSize"][:3] == [float(state["label"])] * 3
        assert state["markerSize"][3] == report.initial["markerSize"][3]


@pytest.mark.browser
def test_relative_steps_scale_an_array_size_point_by_point():
    values = np.array([4.0, 8.0, 12.0, 3.33])
    fig = go.Figure(go.Scatter(x=[0, 1, 2, 3], y=[0, 1, 2, 3], mode="markers", marker={"size": values}, name="n"))
    report = _judged(fig, _render.sizeSlider(fig))
    # One sizeref per step, so the sizes are drawn at exactly their factor.
    assert [step.args[0] for step in fig.layout.sliders[0].steps] == [
        {"marker.sizeref": [1 / factor]} for factor in _layout.SIZE_FACTORS]
    for factor, state in zip(_layout.SIZE_FACTORS, report.states, strict=True):
        assert state["markerSize"] == [{"n": 4, "min": pytest.approx(3.33 * factor), "max": pytest.approx(12 * factor)}]


@pytest.mark.browser
def test_dropdown_states_show_their_group_and_retitle_the_axis():
    names = ["<b>x</b>", "CD8 & 50%"]
    fig = go.Figure([go.Scatter(x=[0, 1], y=[0, 1], name="a1"), go.Scatter(x=[0, 1], y=[1, 0], name="a2"),
                     go.Scatter(x=[0, 1], y=[2, 2], name="b1", visible=False)])
    fig.update_yaxes(title_text=_render.axisTitleFor(names[0], "value"))
    report = _judged(fig, _render.dropdownControl(names, [2, 1], label="feature", axisTitle="y", axisBase="value"))
    assert report.boxes["dropdown"][0]["text"].startswith("<b>x</b>")
    assert [s["visible"] for s in report.states] == [[0, 1], [2]]
    assert [s["axisTitles"]["yaxis"] for s in report.states] == [_render.axisTitleFor(n, "value") for n in names]
    assert report.boxes["ytitle"][0]["text"] == "<b>x</b> \u00b7 value"
