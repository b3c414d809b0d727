"""Graphs as plotly.js draws them in headless Chromium: what each threshold shows, where the
arrowheads point, and that node names keep off everything drawn."""

import math

import pandas as pd
import pytest
from browser.judge import judge
from browser.plotted import onPlot

from tessarine.pl._interactive import _render, _spec, examples

pytestmark = pytest.mark.browser

# For each threshold step: the drawn edge segments, each arrowhead's position and direction
# (from its base to its tip, screen pixels), and the boxes of the node labels, node markers
# and arrowheads, all measured in the page.
MEASURE = """async (div) => {
  const plotBox = div.querySelector(".draglayer .nsewdrag").getBoundingClientRect();
  const box = (el) => { const r = el.getBoundingClientRect(); return [r.left, r.top, r.right, r.bottom]; };
  const drawn = () => {
    const out = {segments: 0, arrows: [], nodes: [], heads: []};
    for (const g of div.querySelectorAll(".scatterlayer .trace")) {
      const trace = g.__data__[0].trace;
      if (trace.visible !== true) continue;
      if (trace.name === "edges") {
        for (const line of g.querySelectorAll("path.js-line")) out.segments += (line.getAttribute("d").match(/M/g) || []).length;
      } else if (trace.name === "direction") {
        for (const p of g.querySelectorAll("path.point")) {
          const at = /translate\\(([-\\d.e]+),\\s*([-\\d.e]+)\\)/.exec(p.getAttribute("transform"));
          const v = (p.getAttribute("d").match(/-?[\\d.]+(e-?\\d+)?/g) || []).map(Number);
          // The tip is the path's first vertex, the base the middle of the other two.
          const tip = [v[0], v[1]], base = [(v[2] + v[4]) / 2, (v[3] + v[5]) / 2];
          out.arrows.push({x: Number(at[1]), y: Number(at[2]), dx: tip[0] - base[0], dy: tip[1] - base[1]});
          out.heads.push(box(p));
        }
      } else if (trace.showlegend) {
        for (const p of g.querySelectorAll("path.point")) out.nodes.push(box(p));
      }
    }
    out.labels = Array.from(div.querySelectorAll(".annotation"))
      .filter((a) => div._fullLayout.annotations[Number(a.getAttribute("data-index"))].xref === "x")
      .map((a) => [a.textContent, box(a.querySelector(".annotation-text-g"))]);
    return out;
  };
  const xa = div._fullLayout.xaxis, ya = div._fullLayout.yaxis;
  const slider = div.layout.sliders.find((s) => s.currentvalue.prefix === "edges: ");
  const states = [];
  for (const step of slider ? slider.steps : [null]) {
    if (step) await Plotly.restyle(div, ...step.args);
    states.push(drawn());
  }
  return {states, toPixels: [xa._m, xa._b, ya._m, ya._b], plot: [plotBox.left, plotBox.top]};
}"""


def _overlap(a, b, tolerance=0.5):
    return min(a[2], b[2]) - max(a[0], b[0]) > tolerance and min(a[3], b[3]) - max(a[1], b[1]) > tolerance


def _coversDisc(box, disc, tolerance=0.5):
    """Whether a box reaches into the round marker whose bounding box is `disc`."""
    cx, cy, r = (disc[0] + disc[2]) / 2, (disc[1] + disc[3]) / 2, (disc[2] - disc[0]) / 2
    nearX, nearY = min(max(cx, box[0]), box[2]), min(max(cy, box[1]), box[3])
    return math.hypot(nearX - cx, nearY - cy) < r - tolerance


def _expected(spec):
    """Per state, (sender, receiver) data positions of the edges it keeps, in row order."""
    states = dict(spec.states) or {"all": [True] * len(spec.edges)}
    ends = [(spec.positions.get(str(s)), spec.positions.get(str(t)))
            for s, t in zip(spec.edges["source"], spec.edges["target"])]
    return [[e for e, keep in zip(ends, mask) if keep and None not in e] for mask in states.values()]


@pytest.mark.parametrize("make", [examples.graphSignalling, examples.graphClusters])
def test_each_threshold_shows_its_edges_arrowheads_point_at_receivers_and_labels_keep_clear_at_every_size(make):
    spec = make()
    fig = _render.figureFor(spec)
    report = judge(fig, _render.configFor(spec))
    report.assertClean()  # no name on a node or an arrowhead, at any node-size or threshold step
    # Every node-size step names every node, and edge lines run through few of the names.
    sizes = [s for s, state in enumerate(report.states) if state["label"].endswith("×")]
    assert len(sizes) == 8
    for s in sizes:
        assert sorted(b["text"] for b in report.states[s]["boxes"]["pointlabel"]) == sorted(spec.names)
    crossed = [c for c in report.crossings() if c[0] in sizes]
    assert len(crossed) < 0.1 * len(sizes) * len(spec.names)
    measured = onPlot(fig, MEASURE)
    mx, bx, my, by = measured["toPixels"]
    expected = _expected(spec)
    assert len(measured["states"]) == len(expected) == (3 if spec.directed else 1)
    assert len({len(e) for e in expected}) == len(expected)  # the thresholds differ
    for state, edges in zip(measured["states"], expected):
        assert state["segments"] == len(edges)
        assert len(state["arrows"]) == (len(edges) if spec.directed else 0)
        unmatched = list(state["arrows"])
        for (x0, y0), (x1, y1) in edges:
            sender, receiver = (mx * x0 + bx, my * y0 + by), (mx * x1 + bx, my * y1 + by)
            if not spec.directed:
                continue
            at = (sender[0] + 0.75 * (receiver[0] - sender[0]), sender[1] + 0.75 * (receiver[1] - sender[1]))
            head = min(unmatched, key=lambda a: math.hypot(a["x"] - at[0], a["y"] - at[1]))
            assert math.hypot(head["x"] - at[0], head["y"] - at[1]) < 1.0
            unmatched.remove(head)
            want = math.atan2(receiver[1] - sender[1], receiver[0] - sender[0])
            assert head["dx"] is not None, "an arrowhead drawn without a direction"
            got = math.atan2(head["dy"], head["dx"])
            error = abs((math.degrees(got - want) + 180) % 360 - 180)
            assert error < 3.0, (head, sender, receiver)
        labels = state["labels"]
        assert sorted(text for text, _ in labels) == sorted(spec.names)  # every node named
        for text, label in labels:
            hits = [b for b in state["nodes"] if _coversDisc(label, b)] + [b for b in state["heads"] if _overlap(label, b)]
            assert not hits, f"{text!r} covers a node or an arrowhead"


def test_slider_caption_and_node_names_read_literally():
    spec = _spec.Graph(edges=pd.DataFrame({"source": ["<b>a</b>"], "target": ["%{x}"], "w": [1.0]}),
                       states={"<i>all</i>": [True], "none": [False]}, directed=True,
                       positions={"<b>a</b>": (0, 0), "%{x}": (1, 1)}, names=["<b>a</b>", "%{x}"], edgeLabel="<w>")
    fig = _render.figureFor(spec)
    report = judge(fig, _render.configFor(spec))
    report.assertClean()
    assert {"<b>a</b>", "%{x}"} <= {b["text"] for b in report.boxes["pointlabel"]}
    assert "<b>a</b>" in report.boxes["legend"][0]["text"]
    assert any("edges: <i>all</i>" in b["text"] for b in report.boxes["slider"])
    tooltip = onPlot(fig, "async (div) => hover(div, [{curveNumber: 4, pointNumber: 0}])")
    assert tooltip[:2] == ["source: <b>a</b>", "target: %{x}"]
    node = onPlot(fig, "async (div) => hover(div, [{curveNumber: 5, pointNumber: 0}])")
    assert node == ["<b>a</b>"]


def test_long_names_in_a_small_figure_are_shortened_rather_than_dropped():
    names = [f"{kind} — cluster {k} of the {tissue} sample" for k, (kind, tissue) in
             enumerate([("CD8⁺ T cells", "tumour"), ("Regulatory T (FOXP3⁺)", "blood"), ("NK cells", "tumour"),
                        ("Classical monocytes", "blood"), ("SPP1⁺ macrophages", "tumour"), ("Plasma cells", "node")])]
    positions = {name: (k % 3, k // 3) for k, name in enumerate(names)}
    edges = pd.DataFrame({"source": names[:-1], "target": names[1:], "w": 1.0})
    spec = _spec.Graph(edges=edges, positions=positions, names=names, width=350, height=300, fontPx=20)
    fig = _render.figureFor(spec)
    report = judge(fig, _render.configFor(spec))
    report.assertClean()
    # Whole, few of these names fit beside their nodes; shortened, most do.
    shown = [b["text"] for b in report.boxes["pointlabel"]]
    assert len(shown) >= 4 and sum(t.endswith("…") for t in shown) >= 3
    assert all(t in names or any(name.startswith(t[:-1]) for name in names) for t in shown)
