"""The browser judge itself, on hand-built plotly figures with known faults."""
import plotly.graph_objects as go
import pytest

from browser.judge import judge

pytestmark = pytest.mark.browser

CONFIG = {"showSendToCloud": False, "displaylogo": False}


def twoTraces(**layout) -> go.Figure:
    fig = go.Figure([go.Scatter(x=[1, 2, 3], y=[3, 1, 2], name="first"),
                     go.Scatter(x=[1, 2, 3], y=[1, 2, 3], name="second")])
    fig.update_layout(width=640, height=420, margin=dict(l=70, r=140, t=90, b=90), **layout)
    return fig


def overPlot(pairs, kind: str) -> set:
    return {(a, i) for a, i, b, _ in pairs if b == "plot" and a == kind}


def test_clean_figure_measures_every_part_and_passes():
    fig = twoTraces(title={"text": "Expression", "subtitle": {"text": "all cells"}},
                    xaxis_title_text="UMAP 1", yaxis_title_text="UMAP 2")
    fig.add_annotation(text="n = 3 cells", xref="paper", yref="paper", x=0, y=-0.3, showarrow=False)
    fig.add_annotation(text="peak", x=1, y=3)
    # Hidden text must not count: an invisible caption right over the title.
    fig.add_annotation(text="invisible", xref="paper", yref="paper", x=0, y=1.2, opacity=0, showarrow=False)
    report = judge(fig, CONFIG)
    report.assertClean()
    assert {k: len(v) for k, v in report.boxes.items() if k in
            ("figure", "plot", "title", "subtitle", "legend", "xtitle", "ytitle", "caption", "pointlabel")} == \
        {"figure": 1, "plot": 1, "title": 1, "subtitle": 1, "legend": 1, "xtitle": 1, "ytitle": 1,
         "caption": 1, "pointlabel": 1}
    assert report.boxes["figure"][0] == {"x0": 0, "y0": 0, "x1": 640, "y1": 420}
    assert report.boxes["plot"][0] == pytest.approx({"x0": 70, "y0": 90, "x1": 500, "y1": 330, "subplot": "xy"})
    assert report.boxes["caption"][0]["text"] == "n = 3 cells"
    assert [b["text"] for b in report.boxes["xtick"]][:3] == ["1", "1.5", "2"]
    assert "Share chart..." not in report.modebar and report.modebar


def test_what_reaches_into_the_plot_or_out_of_the_figure_is_caught():
    fig = twoTraces(legend=dict(x=0.99, xanchor="left", y=0.5),
                    title=dict(text="A title that is rather long", y=1, yref="container", yanchor="bottom"))
    # Annotations may cover the plot only when they belong inside it.
    for where in (dict(xref="paper", yref="paper", x=0.5, y=0.5), dict(xref="paper", yref="paper", x=0.5, y=-0.02,
                  yanchor="bottom"), dict(xref="x domain", yref="y domain", x=0.5, y=1.15), dict(x=2, y=2)):
        fig.add_annotation(text="some words", showarrow=False, **where)
    report = judge(fig, CONFIG)
    assert {k: len(report.boxes[k]) for k in ("note", "caption", "pointlabel")} == {"note": 1, "caption": 2,
                                                                                   "pointlabel": 1}
    assert {(a, i) for a, i, b, _ in report.overlaps if b == "plot"} == {("legend", 0), ("caption", 0)}
    assert ("title", 0, "figure", 0) in report.overlaps
    with pytest.raises(AssertionError, match=r"legend\[0\] '.*' \(.*\) overlaps plot\[0\]"):
        report.assertClean()
    # Just clear of the plot, and a title inside the figure: clean.
    judge(twoTraces(legend=dict(x=1.0, xanchor="left", y=0.5), title=dict(text="A title that is rather long", y=0.97,
                                                                         yref="container", yanchor="top")),
          CONFIG).assertClean()


def categoryFigure(count: int, width: int, angle: int) -> go.Figure:
    labels = [f"Category {i:02d} label" for i in range(count)]
    fig = go.Figure(go.Bar(x=labels, y=list(range(count))))
    fig.update_layout(width=width, height=500, margin=dict(l=60, r=20, t=20, b=200))
    fig.update_xaxes(tickangle=angle, dtick=1)
    return fig


def tickPairs(report) -> list:
    return [p for p in report.overlaps if p[0] == p[2] == "xtick"]


def test_rotated_tick_labels_are_judged_by_their_true_outline():
    # 45 degree labels about 26 px apart: their axis-aligned hulls overlap, the labels do not.
    spaced = judge(categoryFigure(10, 420, 45), CONFIG)
    ticks = spaced.boxes["xtick"]
    assert all("corners" in t for t in ticks)
    assert ticks[0]["x1"] > ticks[1]["x0"]
    assert tickPairs(spaced) == []
    # About 7.4 px apart: 5.3 px across the slant for neighbours, 10.5 px for the next but one,
    # both under the 14 px line box; the hulls would also pair labels further apart.
    crowded = judge(categoryFigure(30, 360, 45), CONFIG)
    assert ("xtick", 0, "xtick", 1) in tickPairs(crowded)
    assert sorted({b - a for _, a, _, b in tickPairs(crowded)}) == [1, 2]
    with pytest.raises(AssertionError, match=r"xtick\[0\] 'Category 00 label'"):
        crowded.assertClean()


def test_javascript_errors_are_caught():
    broken = {"data": [{"type": "scatter", "x": {"dtype": "f8", "bdata": "!!!"}, "y": [1, 2]}],
              "layout": {"width": 400, "height": 300}}
    report = judge(broken, CONFIG)
    assert any("RangeError" in e for e in report.errors)
    with pytest.raises(AssertionError, match="error: plot raised: RangeError"):
        report.assertClean()
    # The page recovers: the next figure is judged on its own.
    assert judge(twoTraces(), CONFIG).errors == []


@pytest.mark.parametrize("config, sends", [
    ({"showSendToCloud": True}, True),
    (CONFIG, False),  # whatever the plotly.js release shows by default
])
def test_buttons_that_send_the_figure_away_are_caught(config, sends):
    # The button's title differs between plotly.js releases ("Share chart...", "Edit in Chart Studio").
    report = judge(twoTraces(), config)
    assert len(report.cloud) == int(sends)
    assert [line for line in report.problems() if "send the figure away" in line] == [
        f"mode bar offers to send the figure away: {name!r}" for name in report.cloud]


def sizeButtons(*payloads) -> go.Figure:
    fig = go.Figure([go.Scatter(x=[1, 2, 3], y=[1, 2, 3], mode="markers", marker=dict(size=[5, 10, 15])),
                     go.Scatter(x=[1, 2], y=[2, 1], mode="markers", marker=dict(size=8))])
    buttons = [dict(label=f"b{i}", method="restyle", args=args) for i, args in enumerate(payloads)]
    fig.update_layout(width=500, height=400, margin=dict(t=80), updatemenus=[dict(buttons=buttons, y=1.2)])
    return fig


def unwrapped(entries: int, traces: int) -> str:
    return (f'restyle key "marker.size" carries {entries} entries for {traces} trace(s); plotly gives each '
            "trace one entry, so a per-trace array needs an outer list")


@pytest.mark.parametrize("args, faults", [
    ([{"marker.size": [[6, 12, 18]]}, [0]], []),
    ([{"marker.size": [6, 12, 18]}, [0]], [unwrapped(3, 1), "trace 0 marker.size was array(3), now scalar"]),
    # Cycled over both traces: the payload check cannot tell, the data can.
    ([{"marker.size": [6, 12]}], ["trace 0 marker.size was array(3), now scalar"]),
    ([{"x": [4, 5]}, [0, 1]], ["trace 0 x was array(3), now scalar", "trace 1 x was array(2), now scalar"]),
    ([{"marker.size": [[6, 12]]}, [0]], ["trace 0 marker.size no longer matches the trace's point count"]),
])
def test_payloads_that_garble_the_data_are_caught(args, faults):
    (state,) = judge(sizeButtons(args), CONFIG).states
    assert state["faults"] == faults
    assert state["errors"] == []


def test_unwrapped_restyle_payload_fails_the_figure():
    report = judge(sizeButtons([{"marker.size": [[6, 12, 18]]}, [0]], [{"marker.size": [6, 12, 18]}, [0]]), CONFIG)
    assert [s["markerSize"][0] for s in report.states] == [{"n": 3, "min": 6, "max": 18}, 6]
    with pytest.raises(AssertionError, match=r"updatemenu 0 item 1 'b1': restyle key \"marker.size\""):
        report.assertClean()


def test_error_raised_by_a_state_belongs_to_that_state():
    fig = sizeButtons([{"marker.size": [7]}], [["missing"]])
    fig.layout.updatemenus[0].buttons[1].method = "animate"
    report = judge(fig, CONFIG)
    assert report.errors == []
    fine, odd = report.states
    assert fine["errors"] == [] and fine["markerSize"] == [7, 7]
    assert odd["errors"] == ['console.trace: WARN: animate failure: frame not found: "missing"',
                             "state raised: rejected with no reason"]


def test_states_of_a_visibility_dropdown_and_a_size_slider():
    fig = twoTraces(xaxis_title_text="first view")
    fig.update_traces(mode="markers", marker_size=6)
    fig.data[1].visible = False
    fig.update_layout(
        updatemenus=[dict(y=1.25, buttons=[
            dict(label="first", method="update", args=[{"visible": [True, False]}, {"xaxis.title.text": "first view"}]),
            dict(label="second", method="update", args=[{"visible": [False, True]}, {"xaxis.title.text": "second view"}]),
        ])],
        sliders=[dict(y=-0.35, steps=[
            dict(label="1×", method="restyle", args=[{"marker.size": [6, 6]}, [0, 1]]),
            dict(label="2×", method="restyle", args=[{"marker.size": [12, [3, 4, 5]]}, [0, 1]]),
        ])])
    report = judge(fig, CONFIG)
    report.assertClean()
    assert report.initial == {"visible": [0], "markerSize": [6, 6], "axisTitles": {"xaxis": "first view", "yaxis": ""}}
    shown = [(s["control"], s["item"], s["label"], s["visible"], s["markerSize"], s["axisTitles"]["xaxis"])
             for s in report.states]
    assert shown == [
        ("updatemenu", 0, "first", [0], [6, 6], "first view"),
        ("updatemenu", 1, "second", [1], [6, 6], "second view"),
        # Each state starts from the figure as exported, not from the previous state.
        ("slider", 0, "1×", [0], [6, 6], "first view"),
        ("slider", 1, "2×", [0], [12, {"n": 3, "min": 3, "max": 5}], "first view"),
    ]
    assert {kind for kind in report.boxes} >= {"dropdown", "slider"}
    assert judge(fig, CONFIG, states=False).states == []


def test_states_are_checked_for_overlaps():
    fig = twoTraces(updatemenus=[dict(y=1.25, buttons=[
        dict(label="short", method="relayout", args=[{"legend.x": 1.02}]),
        dict(label="over", method="relayout", args=[{"legend.x": 0.3}]),
    ])])
    report = judge(fig, CONFIG)
    assert [overPlot(s["overlaps"], "legend") for s in report.states] == [set(), {("legend", 0)}]
    assert report.states[1]["boxes"]["legend"][0]["x0"] < report.states[1]["boxes"]["plot"][0]["x1"]
    with pytest.raises(AssertionError, match=r"updatemenu 0 item 1 'over': legend\[0\] .* overlaps plot\[0\]"):
        report.assertClean()



def test_webgl_traces_render_without_being_blamed():
    fig = go.Figure(go.Scattergl(x=list(range(1000)), y=[i % 17 for i in range(1000)], mode="markers"))
    fig.update_layout(width=500, height=400)
    report = judge(fig, CONFIG)
    assert report.gl
    report.assertClean()
