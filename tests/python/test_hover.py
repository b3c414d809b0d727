"""The tooltip encoder from the host: pandas columns in, trace attributes plotly accepts out."""

import gc
import json
import math
import weakref

import numpy as np
import pandas as pd
import plotly.graph_objects as go
import pytest
from hypothesis import given
from hypothesis import strategies as st

from tessarine.pl._interactive import _render

Hover = _render.Hover
EXTRA = "<extra></extra>"


def hover(data, columns=None):
    frame = pd.DataFrame(data)
    return _render._hoverColumns(frame, list(frame.columns) if columns is None else columns)


def shown(trace, n):  # the trace attributes through plotly's validators and JSON, as the page receives them
    return json.loads(go.Figure(go.Scatter(x=np.arange(n), y=np.arange(n), **trace)).to_json())["data"][0]


def test_record_hands_over_only_what_is_set_without_copies_and_cycles_are_collected():
    assert Hover().trace() == {"hovertemplate": EXTRA}
    data = np.zeros((1, 1))
    trace = Hover(data, ["a"], "t<br>").trace()
    assert trace["hovertemplate"] == "t<br>" + EXTRA and trace["customdata"] is data
    probe = type("Probe", (), {})()
    probe.hover = Hover(customdata=probe)
    alive = weakref.ref(probe)
    del probe
    gc.collect()
    assert alive() is None


def test_constant_columns_are_template_lines_varying_ones_arrays():
    for columns in ([], [None, "b"], iter([None]), ["A"]):
        assert _render._hoverColumns(pd.DataFrame({"a": [1, 2]}), columns).trace() == {"hovertemplate": EXTRA}
    empty = hover({"a": pd.Series([], dtype=float), "b": pd.Series([], dtype=str)})
    assert empty.template == "a: -<br>b: -<br>" and empty.customdata is None and empty.text is None
    h = hover({"n": [12345] * 3, "only nan": [np.nan] * 3, "<b>%": ["a&b"] * 3,
               "cat": pd.Categorical(["T cells"] * 3), "flag": [True] * 3, 7: [0.5] * 3})
    assert h.template == ("n: 12,345<br>only nan: -<br>&lt;b&gt;&#37;: a&amp;b<br>cat: T cells<br>"
                          "flag: True<br>7: 0.5<br>")
    assert h.customdata is None and h.text is None
    h = hover({"area": [2.5, np.nan, 2.5]})  # a value and missing cells are two values
    assert h.template == "area: %{customdata[0]:.4g}<br>" and np.isnan(h.customdata[1, 0])


def test_integer_and_boolean_matrix_keeps_formats_floats_make_it_float32_other_kinds_text():
    h = hover({"n": np.array([1, 2], dtype=np.int64), "b": [True, False], "u": np.array([3, 4], dtype=np.uint8)})
    assert h.template == "n: %{customdata[0]:,d}<br>b: %{customdata[1]:d}<br>u: %{customdata[2]:,d}<br>"
    assert h.customdata.dtype == np.int32 and h.customdata.tolist() == [[1, 1, 3], [2, 0, 4]]
    assert hover({"n": [1, 2], "f": [0.5, 1.5]}).customdata.dtype == np.float32
    # Past 2**53 only text shows the right digits.
    h = hover({"id": np.array([2**64 - 1, 1], dtype=np.uint64)})
    assert h.template == "id: %{customdata[0]}<br>" and h.customdata.tolist() == [["18446744073709551615"], ["1"]]
    # Other kinds take their text forms.
    h = hover({"cat": pd.Categorical(["b", None, "a"]), "when": pd.to_datetime(["2020-01-01", None, "2021-05-06"]),
               "s": pd.array(["x", None, "z"], dtype="string")}, ["cat", "when", "s"])
    assert h.template.startswith("when: %{text}<br>")
    assert h.text.tolist() == ["2020-01-01 00:00:00", "NaT", "2021-05-06 00:00:00"]
    assert h.customdata.tolist() == [["b", "x"], ["nan", "&lt;NA&gt;"], ["a", "z"]]


def test_plotly_accepts_and_ships_typed_arrays():
    numbers = hover({"f": [0.5, np.nan], "gap": pd.array([1, None], dtype="Int64"),
                     "flag": pd.array([True, None], dtype="boolean")})
    texts = hover({"t": ["a<b", "%{x}"], "u": ["cc", "d"], "n": [1, 2], "f": [np.inf, 1.0]})
    trace = shown(numbers.trace(), 2)
    assert trace["hovertemplate"] == numbers.template + EXTRA
    assert trace["customdata"]["dtype"] == "f4" and trace["customdata"]["shape"] == "2, 3"
    trace = shown(texts.trace(), 2)
    assert trace["customdata"] == texts.customdata.tolist() and trace["text"] == texts.text.tolist()


@given(st.floats() | st.integers())
def test_format_cell_matches_python_formatting(value):
    cells = [None, pd.NA, np.float32("inf"), np.float32(0.1), True, np.True_, pd.NaT]
    assert [_render._formatCell(c) for c in cells] == ["-", "-", "-", "0.1", "1", "True", "NaT"]
    expected = f"{value:,d}" if isinstance(value, int) else format(value, ".4g") if math.isfinite(value) else "-"
    assert _render._formatCell(value) == expected


@pytest.mark.parametrize(("values", "dtype", "fmt"), [
    (pd.Series([1, -2], dtype="int8"), np.int32, ",d"), (np.array([1.5, 2.5], dtype=np.float16), np.float32, ".4g"),
    (pd.Series([1.5, None], dtype="Float64"), np.float32, ".4g"), (pd.Series([1, None], dtype="Int64"), np.float32, ",d"),
])
def test_numeric_format(values, dtype, fmt):
    array, format_ = _render._numericFormat(values)
    assert (array.dtype, format_) == (dtype, fmt)
    np.testing.assert_array_equal(array.astype("float64"), pd.Series(values).astype("float64").to_numpy(na_value=np.nan))
    with pytest.raises(TypeError):
        _render._numericFormat(pd.Series(["a"]))
    with pytest.raises(ValueError):  # a repeated frame column
        _render._hoverColumns(pd.DataFrame([[1, 2], [3, 4]], columns=["a", "a"]), ["a"])
