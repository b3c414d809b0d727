"""Volcano states as the browser draws them: the dropdown names the state drawn, each state's
caption counts the points drawn in its colours, its lines lie on the plot, and feature names
read as written."""

import re

import numpy as np
import pandas as pd
import pytest
from browser.plotted import LEGENDS, onPlot, rgb

from tessarine.pl._interactive import _render, _spec
from tessarine.pl._interactive.examples import volcanoGenes

pytestmark = pytest.mark.browser

# After each button (the figure as first drawn, then every button applied as the dropdown
# applies it): the dropdown's shown label, the caption, the colour every point is drawn in
# (WebGL: the colours handed to the GPU; SVG: each marker's fill), and whether each threshold
# line's drawn box lies inside the plot.
STATES = """async (div) => {
  const colours = () => {
    const scene = div._fullLayout._plots.xy._scene;
    if (scene && scene.markerOptions) {  // [r, g, b, a] in 0..1 per point
      return scene.markerOptions.map((options) => options.colors.map(
        (c) => `rgb(${c.slice(0, 3).map((v) => Math.round(v * 255)).join(", ")})`));
    }
    return Array.from(div.querySelectorAll(".scatterlayer .trace"),
      (t) => Array.from(t.querySelectorAll("path.point"), (p) => p.style.fill.replace(/,\\s*/g, ", ")));
  };
  const read = () => {
    const plot = div.querySelector(".nsewdrag").getBoundingClientRect();
    const inside = Array.from(div.querySelectorAll(".shapelayer path"), (p) => p.getBoundingClientRect()).map((b) =>
      b.left >= plot.left - 1 && b.right <= plot.right + 1 && b.top >= plot.top - 1 && b.bottom <= plot.bottom + 1);
    const text = (selector) => div.querySelector(selector).textContent;
    return {shown: text(".updatemenu-header .updatemenu-item-text"), colours: colours(), inside,
            caption: text(".annotation[data-index='0'] .annotation-text")};
  };
  const menu = () => div.querySelector(".updatemenu-header");
  const found = [read()];
  for (let k = 0; k < figure.layout.updatemenus[0].buttons.length; k++) {
    menu().dispatchEvent(new MouseEvent("click", {bubbles: true}));
    await new Promise((resolve) => setTimeout(resolve, 20));
    div.querySelectorAll(".updatemenu-dropdown-button")[k].dispatchEvent(new MouseEvent("click", {bubbles: true}));
    if (div._promises && div._promises.length) await Promise.all(div._promises);
    await new Promise((resolve) => requestAnimationFrame(resolve));
    found.push(read());
  }
  return found;
}"""


def _hex(colour):
    return "rgb(" + ", ".join(str(int(colour[i:i + 2], 16)) for i in (1, 3, 5)) + ")"


def _checkStates(fig, spec):
    states = onPlot(fig, STATES)
    up, down = _hex(spec.upColor), _hex(spec.downColor)
    labels = [b.label.replace("&lt;", "<") for b in fig.layout.updatemenus[0].buttons]
    assert len(states) == len(labels) + 1
    for k, state in enumerate(states):
        cut, counts = state["caption"].split(": ")
        p, effect = re.fullmatch(r"p < (\S+), \|effect\| ≥ (\S+)", cut).groups()
        assert state["shown"] == f"p<{p}, |e|≥{effect}"  # the dropdown names the cuts drawn
        if k:
            assert state["shown"] == labels[k - 1]
        drawn = [c for trace in state["colours"] for c in trace]
        assert len(drawn) == len(spec.frame)
        assert counts == f"{drawn.count(up)} up, {drawn.count(down)} down"
        assert state["inside"] and all(state["inside"])
    return states


def test_the_gallery_volcano_draws_what_its_dropdown_and_caption_say_in_every_state():
    spec = volcanoGenes()
    states = _checkStates(_render.figureFor(spec), spec)
    assert states[0]["shown"] == "p<0.01, |e|≥1"
    assert len({s["caption"] for s in states}) > 6  # the states differ


def test_small_effects_under_a_large_cut_keep_every_line_on_an_svg_plot_and_names_read_as_written():
    rng = np.random.default_rng(2)
    names = ["<b>A</b>", "a&b", "&lt;c&gt;"] + [f"g{i}" for i in range(57)]
    frame = pd.DataFrame({"effect": rng.uniform(-0.5, 0.5, 60), "pvalue": rng.uniform(1e-6, 0.1, 60)}, index=names)
    frame.iloc[:3, :] = [[0.5, 1e-12], [-0.5, 1e-12], [0.45, 1e-11]]
    frame["logp"] = -np.log10(frame.pvalue)
    spec = _spec.Volcano(frame=frame, pVal=0.001, effectThreshold=2.0, top=3)
    fig = _render.figureFor(spec)
    _checkStates(fig, spec)
    shown = onPlot(fig, """async (div) => Array.from(div.querySelectorAll(".annotation-text"), (t) => t.textContent)""")
    assert set(names[:3]) <= set(shown)
    tooltip = onPlot(fig, "async (div) => hover(div, [{curveNumber: 0, pointNumber: 0}])")
    assert tooltip[0] == "feature: <b>A</b>"


def test_group_keys_keep_one_neutral_ring_whatever_the_state_colours_their_points():
    frame = pd.DataFrame({"effect": [3.0, 0.1, 0.2, -3.0, 0.0], "pvalue": [1e-6, 0.5, 0.4, 1e-6, 0.9],
                          "kind": ["up first", "up first", "up first", "down first", "down first"]},
                         index=list("abcde"))
    frame["logp"] = -np.log10(frame.pvalue)
    spec = _spec.Volcano(frame=frame, group="kind")
    fig = _render.figureFor(spec)
    legends = onPlot(fig, LEGENDS)
    assert len(legends) == len(fig.layout.updatemenus[0].buttons) + 1
    for legend in legends:
        assert [text for text, _, _ in legend] == ["up first", "down first"]
        assert all(stroke == rgb("#555555") and fill in ("none", "") for _, fill, stroke in legend), legend
