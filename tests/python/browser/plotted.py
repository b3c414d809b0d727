"""Runs a script against one freshly plotted figure in the judge's page."""
import json

import plotly.io as pio

from browser.judge import _run

# `body` is an async function of (div, ...args); it may use `figure`, eachView, ticks, marks and
# hover(div, at), which waits out plotly's 50 ms hover throttle, hovers `at` (points or a data
# position), reads the tooltip's lines (null without one; the closing <br>'s empty line dropped)
# and unhovers.
SCRIPT = """(async (figure, args) => {
  const hover = async (div, at) => {
    await new Promise((resolve) => setTimeout(resolve, 60));
    Plotly.Fx.hover(div, at);
    const label = div.querySelector(".hoverlayer .hovertext text.nums");
    const spans = label ? Array.from(label.querySelectorAll("tspan.line"), (t) => t.textContent) : [];
    const lines = !label ? null : spans.length ? spans : [label.textContent];
    if (lines && lines.length > 1 && lines[lines.length - 1] === "") lines.pop();
    Plotly.Fx.unhover(div);
    return lines;
  };
  // What read() finds under each button of the first updatemenu in turn.
  const eachView = async (div, read) => {
    const found = [];
    for (const {args} of figure.layout.updatemenus[0].buttons) {
      await Plotly.update(div, ...args);
      found.push(await read());
    }
    return found;
  };
  // An axis's ("x" or "y") tick labels in drawn order.
  const ticks = (div, axis) => Array.from(div.querySelectorAll(`.${axis}tick text`),
    (t) => [t.getBoundingClientRect()[axis], t.textContent]).sort((a, b) => a[0] - b[0]).map((p) => p[1]);
  // Each mark of `selector` in drawn order: its fill, its tooltip (as trace `curve`'s point)
  // and the text of the `axis` tick label level with it.
  const marks = async (div, selector, axis, curve) => {
    const [along, size] = axis === "y" ? ["y", "height"] : ["x", "width"];
    const middle = (e) => e.getBoundingClientRect()[along] + e.getBoundingClientRect()[size] / 2;
    const labels = Array.from(div.querySelectorAll(`.${axis}tick text`), (t) => [middle(t), t.textContent]);
    const found = [];
    for (const [i, mark] of Array.from(div.querySelectorAll(selector)).entries()) {
      const near = (a, b) => Math.abs(a[0] - middle(mark)) <= Math.abs(b[0] - middle(mark)) ? a : b;
      found.push({name: labels.reduce(near)[1], fill: mark.style.fill,
                  tooltip: await hover(div, [{curveNumber: curve, pointNumber: i}])});
    }
    return found;
  };
  const div = document.createElement("div");
  document.body.appendChild(div);
  try {
    await Plotly.newPlot(div, figure.data, figure.layout);
    return await (%s)(div, ...args);
  } finally {
    Plotly.purge(div);
    div.remove();
  }
})(%s, %s)"""


def onPlot(fig, body: str, *args):
    """What `body` returns for fig as drawn; args are passed on as JSON."""
    script = SCRIPT % (body, pio.to_json(fig), json.dumps(args))
    return _run(lambda b: b.evaluate(script))


def rgb(colour: str) -> str:
    """A "#RRGGBB" colour as the browser reports a drawn fill."""
    return "rgb({}, {}, {})".format(*(int(colour[i:i + 2], 16) for i in (1, 3, 5)))


# The legend as first drawn and after each button of the first updatemenu: each entry's text
# and its symbol's fill and outline.
LEGENDS = """async (div) => {
  const read = () => Array.from(div.querySelectorAll(".legend .traces"), (t) => {
    const symbol = t.querySelector(".legendpoints path");
    return [t.querySelector(".legendtext").textContent, symbol.style.fill, symbol.style.stroke];
  });
  return [read(), ...await eachView(div, async () => read())];
}"""


def assertLegends(drawn, keys):
    """Each state's legend lists (name, "#RRGGBB" fill) of `keys`, in order; a name too long
    for the legend may end shortened ("…")."""
    assert len(drawn) == len(keys)
    for legend, key in zip(drawn, keys):
        assert len(legend) == len(key), (legend, key)
        for (text, fill, _), (name, colour) in zip(legend, key):
            assert fill == rgb(colour)
            assert text == name or (text.endswith("…") and name.startswith(text[:-1])), (text, name)
