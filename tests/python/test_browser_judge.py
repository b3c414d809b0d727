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


def test_clean_figure_measures_every_part_and_passes():
    fig = twoTraces(title={"text": "Expression", "subtitle": {"text": "all cells"}},
                    xaxis_title_text="UMAP 1", yaxis_title_text="UMAP 2")
    fig.add_annotation(text="n = 3 cells", xref="paper", yref="paper", x=0, y=-0.3, showarrow=False)
    fig.add_annotation(text="peak", x=1, y=3)
    # Hidden text must not count: an invisible caption right over the title.
    fig.add_annotation(text="invisible", xref="paper", yref="paper", x=0, y=1.2, opacity=0, showarrow=False)
    (report := judge(fig, CONFIG)).assertClean()
    kinds = ("figure", "plot", "title", "subtitle", "legend", "xtitle", "ytitle", "caption", "pointlabel")
    assert {k: len(report.boxes[k]) for k in kinds} == dict.fromkeys(kinds, 1)
    assert report.boxes["plot"][0] == pytest.approx({"x0": 70, "y0": 90, "x1": 500, "y1": 330, "subplot": "xy"})
    assert report.modebar and [b["text"] for b in report.boxes["xtick"]][:3] == ["1", "1.5", "2"]


def test_what_reaches_into_the_plot_or_out_of_the_figure_is_caught():
    fig = twoTraces(legend=dict(x=0.99, xanchor="left", y=0.5),
                    title=dict(text="A title that is rather long", y=1, yref="container", yanchor="bottom"))
    # Annotations may cover the plot only when they belong inside it.
    for where in (dict(xref="paper", yref="paper", x=0.5, y=0.5), dict(xref="paper", yref="paper", x=0.5, y=-0.02,
                  yanchor="bottom"), dict(xref="x domain", yref="y domain", x=0.5, y=1.15), dict(x=2, y=2)):
        fig.add_annotation(text="some words", showarrow=False, **where)
    report = judge(fig, CONFIG)
    assert [len(report.boxes[k]) for k in ("note", "caption", "pointlabel")] == [1, 2, 1]
    assert {(a, i) for a, i, b, _ in report.overlaps if b == "plot"} == {("legend", 0), ("caption", 0)}
    assert ("title", 0, "figure", 0) in report.overlaps
    with pytest.raises(AssertionError, match=r"legend\[0\] '.*' \(.*\) overlaps plot\[0\]"):
        report.assertClean()
    fig.layout.legend.x, fig.layout.title.y, fig.layout.title.yanchor, fig.layout.annotations = 1.0, 0.97, "top", ()
    judge(fig, CONFIG).assertClean()  # just clear of the plot, the title inside the figure


def test_rotated_tick_labels_are_judged_by_their_true_outline():
    def categories(count: int, width: int):
        fig = go.Figure(go.Bar(x=[f"Category {i:02d} label" for i in range(count)], y=list(range(count))))
        fig.update_layout(width=width, height=500, margin=dict(l=60, r=20, t=20, b=200))
        fig.update_xaxes(tickangle=45, dtick=1)
        report = judge(fig, CONFIG)
        return report, sorted({b - a for kind, a, _, b in report.overlaps if kind == "xtick"})

    spaced, gaps = categories(10, 420)  # about 26 px apart: the hulls overlap, the slanted labels do not
    assert spaced.boxes["xtick"][0]["x1"] > spaced.boxes["xtick"][1]["x0"] and gaps == []
    # About 7.4 px apart: 5.3 and 10.5 px across the slant for the next two, under the 14 px line box.
    crowded, gaps = categories(30, 360)
    assert gaps == [1, 2]  # hulls would also pair labels further apart
    with pytest.raises(AssertionError, match=r"xtick\[0\] 'Category 00 label'"):
        crowded.assertClean()


def test_javascript_errors_and_buttons_that_send_the_figure_away_are_caught_but_webgl_is_not_blamed():
    with pytest.raises(AssertionError, match="error: plot raised: RangeError"):
        judge({"data": [{"type": "scatter", "x": {"dtype": "f8", "bdata": "!!!"}, "y": [1, 2]}]}, CONFIG).assertClean()
    # The page recovers: the next figure is judged on its own. The button's title differs between releases.
    report = judge(twoTraces(), {"showSendToCloud": True})
    assert report.problems() == [f"mode bar offers to send the figure away: {report.cloud[0]!r}"]
    report = judge(go.Figure(go.Scattergl(x=list(range(1000)), y=[i % 17 for i in range(1000)])), CONFIG)
    assert report.gl and report.problems() == []


def sizeButtons(*payloads, method="restyle") -> go.Figure:
    buttons = [dict(label=f"b{i}", method=method, args=args) for i, args in enumerate(payloads)]
    return twoTraces(updatemenus=[dict(buttons=buttons, y=1.2)]).update_traces(marker_size=[5, 10, 15], selector=0)


def test_control_states_that_garble_the_data_or_raise_are_caught():
    report = judge(sizeButtons([{"marker.size": [[6, 12, 18]]}, [0]], [{"marker.size": [6, 12, 18]}, [0]],
                               [{"marker.size": [6, 12]}], [{"marker.size": [[6, 12]]}, [0]]), CONFIG)
    assert [s["faults"] for s in report.states] == [
        [], ['restyle key "marker.size" carries 3 entries for 1 trace(s); plotly gives each trace one entry, '
             "so a per-trace array needs an outer list", "trace 0 marker.size was array(3), now scalar"],
        # Cycled over both traces: the payload check cannot tell, the data can.
        ["trace 0 marker.size was array(3), now scalar"],
        ["trace 0 marker.size no longer matches the trace's point count"]]
    assert report.states[0]["markerSize"][0] == {"n": 3, "min": 6, "max": 18}
    with pytest.raises(AssertionError, match=r"updatemenu 0 item 1 'b1': restyle key \"marker.size\""):
        report.assertClean()
    # An error raised by a state belongs to that state.
    report = judge(sizeButtons([["missing"]], method="animate"), CONFIG)
    assert report.errors == [] and report.states[0]["errors"] == [
        'console.trace: WARN: animate failure: frame not found: "missing"', "state raised: rejected with no reason"]


def test_states_of_a_visibility_dropdown_and_a_size_slider_are_measured_from_the_figure_as_exported():
    fig = twoTraces(xaxis_title_text="first view", showlegend=True)
    fig.update_traces(mode="markers", marker_size=6).data[1].visible = False
    view = lambda label, shown: dict(label=label, method="update",  # noqa: E731
                                     args=[{"visible": shown}, {"xaxis.title.text": f"{label} view"}])
    fig.update_layout(updatemenus=[dict(y=1.25, buttons=[view("first", [True, False]), view("second", [False, True])])],
                      sliders=[dict(y=-0.35, steps=[dict(label="2×", args=[{"marker.size": [12, [3, 4, 5]]}]),
                                                    dict(label="over", method="relayout", args=[{"legend.x": 0.3}])])])
    report = judge(fig, CONFIG)
    assert report.initial == {"visible": [0], "markerSize": [6, 6], "axisTitles": {"xaxis": "first view", "yaxis": ""}}
    # Each state starts from the figure as exported, not from the previous state.
    assert [(s["control"], s["item"], s["visible"], s["markerSize"], s["axisTitles"]["xaxis"],
             [p for p in s["overlaps"] if p[2] == "plot"]) for s in report.states] == [
        ("updatemenu", 0, [0], [6, 6], "first view", []), ("updatemenu", 1, [1], [6, 6], "second view", []),
        ("slider", 0, [0], [12, {"n": 3, "min": 3, "max": 5}], "first view", []),
        ("slider", 1, [0], [6, 6], "first view", [["legend", 0, "plot", 0]])]
    assert {"dropdown", "slider"} <= set(report.boxes)
    with pytest.raises(AssertionError, match=r"slider 0 item 1 'over': legend\[0\] .* overlaps plot\[0\]"):
        report.assertClean()



def test_labels_and_notes_on_marks_are_caught_in_every_state():
    # A point label on a marker, a note on a band and a curve, a label a line runs through,
    # and a label clear of everything; the arrow symbol counts by its outline, not its box.
    fig = go.Figure([go.Scatter(x=[0, 4], y=[0, 4], mode="lines", name="curve"),
                     go.Scatter(x=[0, 4, 4, 0], y=[2.6, 2.6, 3.4, 3.4], fill="toself", mode="none", name="band"),
                     go.Scatter(x=[1, 3], y=[0.4, 1], mode="markers", marker=dict(size=14), name="nodes"),
                     go.Scatter(x=[3.5], y=[0.5], mode="markers", marker=dict(size=6, color="rgba(0,0,0,0)"),
                                name="tooltips only")])
    fig.update_layout(width=500, height=400, margin=dict(l=40, r=40, t=40, b=40), showlegend=False,
                      xaxis=dict(range=[0, 4], showticklabels=False), yaxis=dict(range=[0, 4], showticklabels=False))
    fig.add_annotation(text="on a node", x=1, y=0.4, showarrow=False)
    fig.add_annotation(text="across the curve", x=2, y=2.05, showarrow=False)
    fig.add_annotation(text="clear", x=3.5, y=0.5, showarrow=False)
    fig.add_annotation(text="note", xref="paper", yref="paper", x=0.5, y=0.75, showarrow=False)
    # The second node grows onto the clear label only in the slider's second step.
    fig.update_layout(sliders=[dict(steps=[dict(label="1×", args=[{"marker.size": [14]}, [2]]),
                                           dict(label="big", args=[{"marker.size": [[14, 130]]}, [2]])])])
    report = judge(fig, CONFIG)
    found = {(kind, report.boxes[kind][i]["text"], mark, trace) for kind, i, mark, trace in report.marks}
    assert found == {("pointlabel", "on a node", "marker", 2), ("pointlabel", "across the curve", "line", 0),
                     ("note", "note", "fill", 1)}
    assert report.crossings() == [(-1, 1), (0, 1), (1, 1)]  # counted in every state, not failed
    grown = {(report.states[1]["boxes"][k][i]["text"], m) for k, i, m, _ in report.states[1]["marks"]}
    assert ("clear", "marker") in grown and ("clear", "marker") not in {
        (report.states[0]["boxes"][k][i]["text"], m) for k, i, m, _ in report.states[0]["marks"]}
    problems = report.problems()
    assert "pointlabel[0] 'on a node'" in problems[0] and "lies on a marker of trace 2" in problems[0]
    assert any("'note'" in p and "lies on a fill of trace 1" in p for p in problems)
    assert any(p.startswith("slider 0 item 1 'big': pointlabel[2] 'clear'") for p in problems)
    assert not any("across the curve" in p for p in problems)


def test_a_heading_under_the_mode_bar_is_caught():
    fig = twoTraces(title=dict(text="A heading that runs far to the right under the mode bar buttons",
                               x=0.98, xanchor="right", y=0.985, yanchor="top"))
    fig.update_layout(width=520)
    assert ("modebar", 0, "title", 0) in judge(fig, CONFIG).overlaps
