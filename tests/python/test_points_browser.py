"""Points as plotly.js draws them: a continuous key recolours the first key's cells."""

import numpy as np
import pandas as pd
import pytest
from browser.judge import judge
from browser.plotted import onPlot

from tessarine.pl._interactive import _render, _spec

pytestmark = pytest.mark.browser

# Each colour-by state in turn, clicked: the tooltip of the cell at `at`, the legend's
# entries, the colour bars drawn and the drawn size of trace 0's markers after the largest
# slider step (then the size is put back).
STATES = """async (div, at) => {
  const found = [];
  const steps = figure.layout.sliders[0].steps;
  for (const button of figure.layout.updatemenus[0].buttons) {
    await Plotly.update(div, ...button.args);
    const tooltip = await hover(div, {xval: at[0], yval: at[1]});
    const legend = Array.from(div.querySelectorAll(".legend .traces"), (t) => t.textContent);
    const colorbars = Array.from(div.querySelectorAll(".colorbar .cbtitle"), (t) => t.textContent);
    const largest = steps[steps.length - 1];
    await Plotly[largest.method](div, ...largest.args);
    const size = div._fullData[0].marker.size;
    await Plotly[steps[figure.layout.sliders[0].active].method](div, ...steps[figure.layout.sliders[0].active].args);
    found.push({tooltip, legend, colorbars, size});
  }
  return found;
}"""


def test_a_continuous_key_recolours_the_categorical_cells_with_its_own_bar_tooltip_and_no_legend():
    rng = np.random.default_rng(3)
    n = _render.GL_THRESHOLD + 500
    frame = pd.DataFrame({"x": rng.normal(size=n), "y": rng.normal(size=n), "type": rng.choice(["T", "B"], size=n),
                          "CD8A": rng.gamma(2.0, size=n), "sample": rng.choice(["s1", "s2"], size=n)})
    spec = _spec.Points(frame=frame, x="x", y="y", keys=["type", "CD8A"], categorical={"type": True},
                        colors={"type": {"T": "#E15759", "B": "#4E79A7"}}, hover=["sample"], size=4.0)
    fig = _render.figureFor(spec)
    # x, y and the tooltips travel once: the continuous key holds only its colour bar.
    assert [len(t.x) for t in fig.data] == [len(rows) for rows in spec.renderRows[:-1]] + [1]
    assert sum(len(rows) for rows in spec.renderRows) == n
    judge(fig, _render.configFor(spec), states=True).assertClean()

    first = spec.renderRows[0][0]
    category, continuous = onPlot(fig, STATES, [float(fig.data[0].x[0]), float(fig.data[0].y[0])])
    sample, cell = f"sample: {frame['sample'][first]}", f"cell: {first}"
    assert category["tooltip"] == [sample, f"type: {frame['type'][first]}", cell]
    assert sorted(category["legend"]) == ["B", "T"]
    assert category["colorbars"] == []
    *head, value = continuous["tooltip"]
    assert head == [sample, cell]
    assert float(value.split("CD8A: ")[1]) == pytest.approx(frame["CD8A"][first], rel=1e-3)
    assert continuous["legend"] == [] and continuous["colorbars"] == ["CD8A"]
    # The size slider reaches the recoloured cells as it does the categorical ones.
    assert continuous["size"] == category["size"] and continuous["size"] > 4.0
