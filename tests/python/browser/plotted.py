"""Runs a script against one freshly plotted figure in the judge's page."""
import json

import plotly.io as pio

from browser.judge import _run

# `body` is an async function of (div, ...args); it may use `figure`, eachView, ticks and
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
