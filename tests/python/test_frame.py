"""The core's reading of pandas frames, held against pandas itself (run under pandas 2 and 3)."""

import contextlib
import datetime
import decimal

import hypothesis.extra.numpy as hnp
import numpy as np
import pandas as pd
import pytest
from hypothesis import given, settings
from hypothesis import strategies as st
from pandas.api.types import is_complex_dtype, is_numeric_dtype

from tessarine.pl._interactive import _render

INT64 = np.iinfo(np.int64)


def _cells(series):
    return [str(series.iloc[i]) for i in range(len(series))]


def _pandasText(df):
    return {str(name): _cells(df.iloc[:, j]) for j, name in enumerate(df.columns)}


def _pandasDistinct(series):
    # First appearance by Python equality (1 == 1.0, -0.0 == 0.0), every missing value one.
    seen, rows = set(), []
    for i in range(len(series)):
        key = ("missing",) if pd.isna(series.iloc[i]) else series.iloc[i]
        if key not in seen:
            seen.add(key)
            rows.append(i)
    return [str(series.iloc[i]) for i in rows]


def _numeric(s):
    return bool(is_numeric_dtype(s) and not is_complex_dtype(s))


# One column per kind of data a result record holds, each with its awkward values.
COLUMNS = {
    "int8": np.array([-128, 127, 0, 127], dtype=np.int8), "int64": np.array([INT64.min, INT64.max, 0, INT64.max]),
    "uint8": np.array([0, 255, 1, 1], dtype=np.uint8), "uint64": np.array([0, 2**64 - 1, 2**63, 2**63], dtype=np.uint64),
    "float16": np.array([0.1, 65504, np.nan, 6e-8], dtype=np.float16),
    "float32": np.array([0.1, 1e6, 1e-4, np.nan], dtype=np.float32),
    "float64": [1.0, np.nan, 1e-5, 1e16], "floatSpecial": [np.inf, -np.inf, -0.0, 0.0], "bool": [True, False, False, True],
    "Int64": pd.array([1, None, INT64.max, None], dtype="Int64"), "UInt8": pd.array([1, None, 255, 1], dtype="UInt8"),
    "boolean": pd.array([True, None, False, True], dtype="boolean"),
    "Float32": pd.array([0.1, None, 2.5, 0.1], dtype="Float32"), "Float64": pd.array([0.1, None, 1e16, 0.1], dtype="Float64"),
    "text": ["a", None, "b", "a"], "objectText": pd.Series(["a", None, np.nan, "é"], dtype=object),
    "string": pd.array(["a", None, "b", "a"], dtype="string"),
    "category": pd.Categorical(["u", None, "u", "w"], categories=["z", "u", "w"]),
    "intCategory": pd.Categorical([3, 1, None, 3], categories=[1, 2, 3]),
    "datetime": pd.to_datetime(["2024-01-02", None, "2024-01-02 03:04:05.5", "2024-01-02"], format="ISO8601"),
    "datetimeTz": pd.to_datetime(["2024-01-02", None, "2024-06-02", "2024-01-02"]).tz_localize("Europe/Paris"),
    "timedelta": pd.to_timedelta([1, None, 2.5, 1], unit="D"), "period": pd.period_range("2024-01", periods=4, freq="M"),
    "complex128": np.array([1 + 2j, np.nan, 0.1j, 1 + 2j]), "complex64": np.array([0.1 + 1j, 2, 0, 2], dtype=np.complex64),
    "mixed": pd.Series([1, "1", 1.0, None], dtype=object),
    "objects": pd.Series([(1, 2), decimal.Decimal("2.50"), datetime.date(2024, 1, 2), b"x"], dtype=object),
    "bytes": np.array([b"a", b"b", b"", b"a"]), "sparse": pd.arrays.SparseArray([1.0, np.nan, 0.0, 1.0]),
}


@pytest.fixture(scope="module")
def mixed():
    return pd.DataFrame(COLUMNS, index=pd.Index(list("pqrs"), name="cell"))


def test_every_cell_type_and_distinct_value_reads_as_pandas_has_it(mixed):
    info = _render._frameInfo(mixed)
    assert (info["columns"], info["index"], info["indexName"], info["rows"]) == (list(COLUMNS), list("pqrs"), "cell", 4)
    assert info["text"] == _pandasText(mixed)
    assert info["numeric"] == [_numeric(mixed[c]) for c in mixed.columns]
    assert info["types"] == [str(dtype) for dtype in mixed.dtypes]
    # Unused categories never show; "1" and 1 stay apart while 1 and 1.0 merge.
    assert info["distinct"] == {c: _pandasDistinct(mixed[c]) for c in mixed.columns}
    kinds = dict(zip(mixed.columns, info["kinds"]))
    assert [kinds[c] for c in ("uint64", "float16", "Int64", "boolean", "string", "category", "datetimeTz")] == [
        "int", "float", "nullable int", "nullable bool", "text", "categorical", "object"]
    taken = _render._frameTake(mixed, [3, 0, 0])
    assert taken["index"] == ["s", "p", "p"] and taken["text"] == _pandasText(mixed.iloc[[3, 0, 0]])


@pytest.mark.parametrize("data", [
    {"a": [1, 2], "b": ["x", "y"]}, [{"a": 1}, {"a": 2, "b": 3.5}], [[1, "x"], [2, "y"]],
    pd.Series([1.5, 2.5]), pd.Series(["a"], name=7), np.arange(6, dtype=np.float64).reshape(3, 2),  # strided columns
    pd.DataFrame({"x": pd.Series(np.array([1, 256], dtype=">i4"))}),
    pd.DataFrame({"v": [1, 2]}, index=pd.Index([1.5, np.nan], name=0)),
    pd.DataFrame({"v": [1, 2]}, index=pd.DatetimeIndex(["2024-01-02", "2025-03-04"], name="when")),
    pd.DataFrame({"v": [1, 2]}, index=pd.MultiIndex.from_tuples([("a", 1), ("b", 2)])),
    pd.DataFrame(), pd.DataFrame({c: pd.Series(v).iloc[:0] for c, v in COLUMNS.items()}),  # empty frames
])
def test_anything_a_data_frame_is_built_from(data):
    expected = data.to_frame() if isinstance(data, pd.Series) else pd.DataFrame(data)
    info = _render._frameInfo(data)
    assert info["columns"] == [str(c) for c in expected.columns]
    assert info["text"] == _pandasText(expected)
    assert info["index"] == [str(label) for label in expected.index]
    assert info["indexName"] == (None if expected.index.name is None else str(expected.index.name))
    assert info["numeric"] == [_numeric(expected.iloc[:, j]) for j in range(expected.shape[1])]


def test_column_labels_keep_their_kind_and_unencodable_text_is_escaped():
    df = pd.DataFrame([[1, 2, 3]], columns=[1, "1", 2.5])
    assert _render._frameInfo(df)["columns"] == ["1", "1", "2.5"]
    assert [_render._frameColumn(df, c) for c in (1, "1", np.int64(1), 2.5)] == [["1"], ["2"], ["1"], ["3"]]
    df = pd.DataFrame({"t": pd.Series(["ünï", "日本", "\ud800x"], dtype=object)})
    assert _render._frameInfo(df)["text"]["t"] == ["ünï", "日本", "\\ud800x"]


@settings(max_examples=200, deadline=None)
@given(st.lists(st.one_of(st.none(), st.booleans(), st.integers(), st.floats(), st.text(max_size=3),
                          st.binary(max_size=2), st.just(pd.NA), st.just(pd.NaT)), max_size=12))
def test_object_columns_of_anything(values):
    column = pd.Series(values, dtype=object)
    info = _render._frameInfo(pd.DataFrame({"x": column}))
    assert info["text"]["x"] == _cells(column)
    assert info["distinct"]["x"] == _pandasDistinct(column)


@pytest.mark.parametrize("call, error, match", [
    (lambda: _render._frameInfo(5), ValueError, None),
    (lambda: _render._frameInfo(pd.DataFrame({"x": [type("B", (), {"__str__": lambda _: 1 / 0})()]})),
     ZeroDivisionError, None),
    (lambda: _render._frameColumn(pd.DataFrame([[1, 2]], columns=["a", "a"]), "nope"), KeyError, "nope"),
    (lambda: _render._frameColumn(pd.DataFrame([[1, 2]], columns=["a", "a"]), "a"), ValueError, "not unique"),
    (lambda: _render._frameTake(pd.DataFrame({"v": [1]}), [1]), IndexError, None),
    (lambda: _render._frameAlign(pd.DataFrame({"v": [1, 2]}, index=["a", "a"]), ["a"]), ValueError, "duplicate"),
])
def test_what_pandas_refuses_fails_as_pandas_fails(call, error, match):
    with pytest.raises(error, match=match):
        call()


# Interval columns are left out: pandas turns int intervals into float ones on reindex.
@pytest.mark.parametrize("index, labels", [
    (None, ["s", "zz", "p", "q"]), ([1, 2, 3], [3.0, 2.5, 1]), ([1, 2, 3], ["1", 2]), (["1", "x", "2"], [1, "x"]),
    ([1.5, np.nan, 0.0], [np.nan, -0.0]),
    (pd.to_datetime(["2024-01-01", "2024-01-02"]), pd.to_datetime(["2024-01-02", "2023-01-01"])),
])
def test_alignment_matches_reindex(mixed, index, labels):
    df = mixed if index is None else pd.DataFrame({"v": range(len(index))}, index=index)
    aligned, expected = _render._frameAlign(df, labels), df.reindex(labels)
    assert aligned["text"] == _pandasText(expected)
    assert aligned["types"] == [str(dtype) for dtype in expected.dtypes]


# numpy 2.3 gave float32 and float16 their own bounds past which str() turns scientific; its
# legacy="2.2" mode keeps float64's. Under a newer numpy both rules are held against numpy.
PRINT_MODES = ["running", pytest.param("2.2", marks=pytest.mark.skipif(
    np.lib.NumpyVersion(np.__version__) < "2.3.0", reason="this numpy prints narrow floats this way natively"))]


@contextlib.contextmanager
def _printedAs(mode):
    try:
        with contextlib.nullcontext() if mode == "running" else np.printoptions(legacy=mode):
            _render._followNumpyText()
            yield
    finally:
        _render._followNumpyText()  # once numpy's own options are back


def _assertFloatText(values):
    assert _render._frameInfo(pd.DataFrame({"x": values}))["text"]["x"] == [str(v) for v in values]


@pytest.mark.parametrize("mode", PRINT_MODES)
@pytest.mark.parametrize("dtype", [np.float64, np.float32])
@settings(max_examples=300, deadline=None)
@given(data=st.data())
def test_float_text_of_drawn_values(dtype, mode, data):
    values = data.draw(hnp.arrays(dtype, st.integers(1, 40)))
    with _printedAs(mode):
        _assertFloatText(values)


_BOUNDS32 = np.array([999_999.94, 1e6, 1e15, 9.9999998e15, 1e16], dtype=np.float32)  # random bits seldom land there
FLOAT_SETS = {
    "bits64": lambda: np.random.default_rng(7).integers(0, 2**64 - 1, 100_000, np.uint64, endpoint=True).view(np.float64),
    "bits32": lambda: np.random.default_rng(7).integers(0, 2**32 - 1, 100_000, np.uint32, endpoint=True).view(np.float32),
    "every16": lambda: np.arange(2**16, dtype=np.uint32).astype(np.uint16).view(np.float16),
    "bounds32": lambda: np.concatenate([_BOUNDS32, -_BOUNDS32]),
}


@pytest.mark.parametrize("mode", PRINT_MODES)
@pytest.mark.parametrize("values", FLOAT_SETS.values(), ids=FLOAT_SETS.keys())
def test_float_text_matches_numpy(values, mode):
    with _printedAs(mode):
        _assertFloatText(values())
