"""Failures by column lead with the spec attribute that names the column (or holds its
table) and the column, and stay the ordinary exception they were."""

import pandas as pd
import pytest

from tessarine.pl._interactive import _render, _spec

CELLS = pd.DataFrame({"x": [0.0, 1.0], "y": [1.0, 0.0], "cell type": ["T", "B"]}, index=["c1", "c2"])
INTERVALS = pd.DataFrame({"value": [1.0], "low": [0.0], "high": [2.0]}, index=["f"])
VOLCANO = pd.DataFrame({"effect": [1.0], "pvalue": [0.01], "logp": [2.0]}, index=["f"])
TABLE = pd.DataFrame({"T": [1.0, 2.0], "B": [3.0, 4.0]}, index=["g1", "g2"])
TEXT = TABLE.assign(B=["high", "low"])


@pytest.mark.parametrize("spec, error, message", [
    (_spec.Points(frame=CELLS, x="cell type", y="y"), TypeError, "x: column 'cell type' holds text, not numbers"),
    (_spec.Points(frame=CELLS, x="x", y="nope"), KeyError, "y: no column 'nope'"),
    (_spec.Points(frame=CELLS, x="x", y="y", keys=["nope"]), KeyError, "keys: no column 'nope'"),
    (_spec.Intervals(frame=INTERVALS.assign(low=["a"])), TypeError, "frame: column 'low' holds text, not numbers"),
    (_spec.Intervals(frame=INTERVALS.drop(columns="high")), KeyError, "frame: no column 'high'"),
    (_spec.Intervals(frame=INTERVALS.set_axis(["value", "value", "high"], axis=1)), ValueError,
     "frame: column 'value' is not unique"),
    (_spec.Ranked(groups={"g": pd.DataFrame({"value": ["high"]})}), TypeError,
     "groups['g']: column 'value' holds text, not numbers"),
    (_spec.Ranked(frame=pd.DataFrame({"score": [1.0]})), KeyError, "frame: no column 'value'"),
    (_spec.Volcano(frame=VOLCANO, group="nope"), KeyError, "group: no column 'nope'"),
    (_spec.Volcano(frame=VOLCANO.assign(pvalue=pd.Categorical(["a"]))), TypeError,
     "frame: column 'pvalue' holds categories, not numbers"),
    (_spec.Curves(curves={"f": {"a": pd.DataFrame({"time": ["t0"], "value": [1.0]})}}), TypeError,
     "curves['f']['a']: column 'time' holds text, not numbers"),
    (_spec.Matrix(frame=TEXT), TypeError, "frame: column 'B' holds text, not numbers"),
    (_spec.Matrix(frame=TABLE, scales={"log": TEXT}), TypeError, "scales['log']: column 'B' holds text"),
    (_spec.Matrix(frame=TABLE, cellHover={"n": TABLE.set_axis(["g1", "g1"])}), ValueError,
     "cellHover['n']: cannot align on an index with duplicate labels"),
    (_spec.Dots(color=TEXT, size=TABLE / 4), TypeError, "color: column 'B' holds text, not numbers"),
    (_spec.Dots(color=TABLE, size=TEXT), TypeError, "size: column 'B' holds text, not numbers"),
    (_spec.Bars(pivot=TEXT), TypeError, "pivot: column 'B' holds text, not numbers"),
    (_spec.Bars(pivot=TABLE, counts=TEXT), TypeError, "counts: column 'B' holds text"),
    (_spec.Graph(edges=pd.DataFrame({"from": ["a"], "target": ["b"]})), KeyError, "edges: no column 'source'"),
    (_spec.Matrix(frame=pd.DataFrame({0: [1.0], 1: ["x"]})), TypeError, "frame: column 1 holds text"),  # a label 1, not '1'
])
def test_failures_by_column_name_the_attribute_and_the_column(spec, error, message):
    with pytest.raises(error) as failure:
        _render.figureFor(spec)
    text = failure.value.args[0]
    assert text.startswith(message), text
