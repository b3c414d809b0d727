"""Gate figures as the browser draws them: each marker's state, and a gate line dragged with the mouse."""

import json

import numpy as np
import pandas as pd
import plotly.io as pio
import pytest
from browser.judge import _run
from browser.plotted import onPlot

from tessarine.pl._interactive import _render, _spec
from tessarine.pl._interactive.examples import gateMarkers, gatePairs

pytestmark = pytest.mark.browser

# Under each button: the traces drawn, the gate lines drawn (name, position) and the axis titles.
STATES = """async (div) => eachView(div, async () => ({
  visible: div._fullData.filter((t) => t.visible === true).map((t) => t.index),
  drawn: div.querySelectorAll(".shapelayer path").length,
  lines: div._fullLayout.shapes.map((s) => [s.name, s.xref === "x" ? s.x0 : s.y0]),
  x: div.querySelector(".g-xtitle text").textContent,
  y: div.querySelector(".g-ytitle text").textContent,
}))"""


def test_each_marker_shows_its_own_trace_gate_lines_and_axis_titles():
    names = ["<b>CD4</b>", "CD8 & co", "100%{x}"]
    rng = np.random.default_rng(2)
    frame = pd.DataFrame(rng.normal(1, 0.6, (3000, 3)), columns=names)
    thresholds = {names[0]: 1.5, names[1]: 0.8}
    pairs = _spec.Gate(values=frame, pairs=[(names[0], names[1]), (names[2], names[0])], bins=30, thresholds=thresholds)
    single = _spec.Gate(values=frame, markers=names, bins=30, thresholds=thresholds)

    shown = onPlot(_render.figureFor(pairs), STATES)
    assert shown == [
        {"visible": [0], "drawn": 2, "lines": [["gate:<b>CD4</b>", 1.5], ["gate:CD8 & co", 0.8]], "x": names[0], "y": names[1]},
        {"visible": [1], "drawn": 2, "lines": [["gate:100%{x}", 0.5], ["gate:<b>CD4</b>", 1.5]], "x": names[2], "y": names[0]},
    ]
    shown = onPlot(_render.figureFor(single), STATES)
    assert [s["visible"] for s in shown] == [[0], [1], [2]]
    assert [s["lines"] for s in shown] == [[["gate:" + n, thresholds.get(n, 0.5)]] for n in names]
    assert [s["x"] for s in shown] == names and {s["y"] for s in shown} == {"Cells"}


# Plots the figure with its config and leaves it on the page; where gate line `index` is drawn.
PLOT = """(async (figure, config, index) => {
  const div = document.createElement("div");
  div.id = "gate-drag";
  document.body.prepend(div);
  await Plotly.newPlot(div, figure.data, figure.layout, config);
  window.gateMoves = [];
  div.on("plotly_relayout", (update) => window.gateMoves.push(update));
  const box = div.querySelector(`.shapelayer path[data-index="${index}"]`).getBoundingClientRect();
  return {x: box.left + box.width / 2, y: box.top + box.height / 2};
})(%s, %s, %d)"""

# The line as the figure now holds it, the updates plotly reported, and the data values at a pixel.
READ = """((index, px, py) => {
  const div = document.getElementById("gate-drag");
  const layout = div._fullLayout, box = div.querySelector(".nsewdrag").getBoundingClientRect();
  const line = div.layout.shapes[index];
  const out = {line: {name: line.name, x0: line.x0, x1: line.x1, y0: line.y0, y1: line.y1},
               moves: window.gateMoves, x: layout.xaxis.p2d(px - box.left), y: layout.yaxis.p2d(py - box.top),
               pixel: [layout.xaxis._length / (layout.xaxis.range[1] - layout.xaxis.range[0]),
                       layout.yaxis._length / (layout.yaxis.range[1] - layout.yaxis.range[0])]};
  Plotly.purge(div);
  div.remove();
  return out;
})(%d, %f, %f)"""


def _dragged(fig, config, index, dx, dy):
    def drag(browser):
        start = browser.evaluate(PLOT % (pio.to_json(fig), json.dumps(config), index))
        end = (start["x"] + dx, start["y"] + dy)

        def mouse(kind, at, **extra):
            browser.call("Input.dispatchMouseEvent", {"type": kind, "x": at[0], "y": at[1], **extra},
                         session=browser.session)

        mouse("mouseMoved", (start["x"], start["y"]))
        mouse("mousePressed", (start["x"], start["y"]), button="left", clickCount=1)
        for step in range(1, 11):  # in steps, as a hand moves
            mouse("mouseMoved", (start["x"] + dx * step / 10, start["y"] + dy * step / 10), button="left", buttons=1)
        mouse("mouseReleased", end, button="left", clickCount=1)
        return browser.evaluate(READ % (index, end[0], end[1]))

    return _run(drag)


def test_a_dragged_gate_line_moves_and_keeps_its_name():
    fig, config = _render.figureFor(gateMarkers()), _render.configFor(gateMarkers())
    before = fig.layout.shapes[0]
    moved = _dragged(fig, config, 0, 80, 0)
    line, perPixel = moved["line"], 1 / moved["pixel"][0]
    assert line["name"] == before.name == "gate:CD3E"
    assert line["x0"] == line["x1"] and line["x0"] - before.x0 == pytest.approx(80 * perPixel, abs=2 * perPixel)
    assert (line["y0"], line["y1"]) == (0, 1)
    assert any("shapes[0].x0" in update for update in moved["moves"])

    fig, config = _render.figureFor(gatePairs()), _render.configFor(gatePairs())
    before = fig.layout.shapes[1]
    moved = _dragged(fig, config, 1, 0, -60)  # the horizontal line, upwards
    line, perPixel = moved["line"], 1 / moved["pixel"][1]
    assert line["name"] == before.name == "gate:CD8A"
    assert line["y0"] == line["y1"] and line["y0"] - before.y0 == pytest.approx(60 * perPixel, abs=2 * perPixel)
    assert (line["x0"], line["x1"]) == (0, 1)
