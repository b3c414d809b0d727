"""Matrix views as the browser draws them: each view's tick order, missing-cell paint and tooltip."""

import numpy as np
import pandas as pd
import pytest
from browser.plotted import onPlot

from tessarine.pl._interactive import _render, _spec

pytestmark = pytest.mark.browser

# Applies each view's button, then reads the tick labels in drawn order, whether the centre
# of given cells shows the missing layer (the heatmap's image transparent there, the layer's
# rectangle painted under it), and the tooltip of one cell.
VIEWS = """async (div, probes) => {
  const opaque = async (image, x, y) => {
    const picture = new Image();
    picture.src = image.getAttribute("href");
    await picture.decode();
    const canvas = document.createElement("canvas");
    canvas.width = picture.naturalWidth;
    canvas.height = picture.naturalHeight;
    const context = canvas.getContext("2d");
    context.drawImage(picture, 0, 0);
    const at = (axis, v, edge, size) =>
      Math.floor((div._fullLayout[axis].d2p(v) - +image.getAttribute(edge)) * picture[`natural${size}`] /
                 +image.getAttribute(size.toLowerCase()));
    return context.getImageData(at("xaxis", x, "x", "Width"), at("yaxis", y, "y", "Height"), 1, 1).data[3] > 0;
  };
  return eachView(div, async () => {
    const paint = [];
    const [heatmap] = div.querySelectorAll(".hm image");
    const layer = div.querySelector(".shapelayer path").getBoundingClientRect();
    for (const [x, y] of probes.paint) {
      const [px, py] = [div._fullLayout.xaxis.d2p(x), div._fullLayout.yaxis.d2p(y)];
      const plot = div.querySelector(".draglayer .nsewdrag").getBoundingClientRect();
      const under = layer.left <= plot.left + px && plot.left + px <= layer.right &&
        layer.top <= plot.top + py && plot.top + py <= layer.bottom;
      paint.push(under && !(await opaque(heatmap, x, y)));
    }
    const [x, y] = probes.hover;
    const tooltip = await hover(div, {xval: div._fullLayout.xaxis.d2c(x), yval: div._fullLayout.yaxis.d2c(y)});
    return {x: ticks(div, "x"), y: ticks(div, "y"), paint, tooltip: tooltip.join("")};
  });
}"""


def test_each_view_reorders_the_picture_moves_its_missing_paint_and_names_the_hovered_cell():
    genes = ["<b>CD3E</b>", "MS4A1", "LYZ", "NKG7"]
    types = ["T & NK", "B", "Mono"]
    mean = pd.DataFrame(np.arange(12, dtype=float).reshape(4, 3) / 4 + 0.5, index=genes, columns=types)
    mean.iloc[0, 2] = np.nan
    score = mean.copy()
    score.iloc[0, 2], score.iloc[3, 0] = 1.0, np.nan
    orders = {"as stored": ([0, 1, 2, 3], [0, 1, 2]), "reversed": ([3, 2, 1, 0], [2, 0, 1])}
    spec = _spec.Matrix(frame=mean, scales={"mean": mean, "score": score}, orders=orders, xlabel="type",
                        ylabel="gene")
    fig = _render.figureFor(spec)
    heatmap = fig.data[0]
    # Probes by the categories the figure holds: the cells missing under each scale.
    x, y = list(heatmap.x), list(heatmap.y)
    probes = {"paint": [[x[2], y[0]], [x[0], y[3]]], "hover": [x[1], y[2]]}
    views = onPlot(fig, VIEWS, probes)

    states = [(scale, order) for scale in ("mean", "score") for order in orders.values()]
    assert len(views) == len(states)
    for (scale, (rows, columns)), view in zip(states, views):
        assert view["y"] == [genes[r] for r in rows]
        assert view["x"] == [types[c] for c in columns]
        assert view["paint"] == ([True, False] if scale == "mean" else [False, True])
        value = (mean if scale == "mean" else score).iloc[2, 1]
        head, shown = view["tooltip"].split("value: ")
        assert head == "gene: LYZtype: B" and float(shown) == pytest.approx(value, rel=1e-3)


def test_thinned_ticks_of_a_large_matrix_follow_each_views_order_at_an_even_stride():
    from tessarine.pl._interactive.examples import matrixLarge

    fig = _render.figureFor(matrixLarge())
    views = onPlot(fig, 'async (div) => eachView(div, async () => ticks(div, "y"))')
    for button, drawn in zip(fig.layout.updatemenus[0].buttons, views):
        order = list(button.args[1]["yaxis.categoryarray"])
        at = [order.index(text) for text in drawn]
        assert len(at) > 20 and at[0] == 0
        assert len(set(np.diff(at))) == 1  # one stride throughout, in the view's own order


def test_a_missing_value_reads_a_dash_beside_text_tooltip_tables_in_every_view():
    mean = pd.DataFrame([[1.0, np.nan], [2.0, 3.0]], index=["a", "b"], columns=["x", "y"])
    score = mean.fillna(5.0)
    score.iloc[0, 0] = np.nan
    kind = pd.DataFrame([["p", "q"], ["r", "s"]], index=["a", "b"], columns=["x", "y"])
    fig = _render.figureFor(_spec.Matrix(frame=mean, scales={"mean": mean, "score": score}, cellHover={"kind": kind}))
    values = """async (div) => {
      const read = async () => [await hover(div, {xval: 0, yval: 0}), await hover(div, {xval: 1, yval: 0})];
      return [await read(), ...await eachView(div, read)];
    }"""
    drawn = [[line for tip in view for line in tip if line.startswith("value: ")] for view in onPlot(fig, values)]
    assert drawn == [["value: 1", "value: -"], ["value: 1", "value: -"], ["value: -", "value: 5"]]
