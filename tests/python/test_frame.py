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

NAT = pd.NaT
INT64 = np.iinfo(np.int64)


def _cells(series):
    return [str(series.iloc[i]) for i in range(len(series))]


def _pandasText(df):
    return {str(name): _cells(df.iloc[:, j]) for j, name in enumerate(df.columns)}


def _pandasDistinct(series):
    # First appearance by Python equality (1 == 1.0, -0.0 == 0.0), every missing value one.
    seen, rows = set(), []
    for i in range(len(series)):
        value = series.iloc[i]
        key = ("missing",) if pd.isna(value) else value
        if key not in seen:
            seen.add(key)
            rows.append(i)
    return [str(series.iloc[i]) for i in rows]


def _numeric(series):
    return bool(is_numeric_dtype(series) and not is_complex_dtype(series))


# One column per kind of data a result record holds, each with its awkward values.
COLUMNS = {
    "int8": np.array([-128, 127, 0, 127], dtype=np.int8),
    "int64": np.array([INT64.min, INT64.max, 0, INT64.max]),
    "uint8": np.array([0, 255, 1, 1], dtype=np.uint8),
    "uint64": np.array([0, 2**64 - 1, 2**63, 2**63], dtype=np.uint64),
    "float16": np.array([0.1, 65504, np.nan, 6e-8], dtype=np.float16),
    "float32": np.array([0.1, 1e6, 1e-4, np.nan], dtype=np.float32),
    "float64": [1.0, np.nan, 1e-5, 1e16],
    "floatSpecial": [np.inf, -np.inf, -0.0, 0.0],
    "bool": [True, False, False, True],
    "Int64": pd.array([1, None, INT64.max, None], dtype="Int64"),
    "UInt8": pd.array([1, None, 255, 1], dtype="UInt8"),
    "boolean": pd.array([True, None, False, True], dtype="boolean"),
    "Float32": pd.array([0.1, None, 2.5, 0.1], dtype="Float32"),
    "Float64": pd.array([0.1, None, 1e16, 0.1], dtype="Float64"),
    "text": ["a", None, "b", "a"],
    "objectText": pd.Series(["a", None, np.nan, "é"], dtype=object),
    "string": pd.array(["a", None, "b", "a"], dtype="string"),
    "category": pd.Categorical(["u", None, "u", "w"], categories=["z", "u", "w"]),
    "intCategory": pd.Categorical([3, 1, None, 3], categories=[1, 2, 3]),
    "datetime": pd.to_datetime(["2024-01-02", None, "2024-01-02 03:04:05.5", "2024-01-02"], format="ISO8601"),
    "datetimeTz": pd.to_datetime(["2024-01-02", None, "2024-06-02", "2024-01-02"]).tz_localize("Europe/Paris"),
    "timedelta": pd.to_timedelta([1, None, 2.5, 1], unit="D"),
    "period": pd.period_range("2024-01", periods=4, freq="M"),
    "complex128": np.array([1 + 2j, np.nan, 0.1j, 1 + 2j]),
    "complex64": np.array([0.1 + 1j, 2, 0, 2], dtype=np.complex64),
    "mixed": pd.Series([1, "1", 1.0, None], dtype=object),
    "objects": pd.Series([(1, 2), decimal.Decimal("2.50"), datetime.date(2024, 1, 2), b"x"], dtype=object),
    "bytes": np.array([b"a", b"b", b"", b"a"]),
    "sparse": pd.arrays.SparseArray([1.0, np.nan, 0.0, 1.0]),
}


@pytest.fixture(scope="module")
def mixed():
    df = pd.DataFrame(COLUMNS)
    df.index = pd.Index(list("pqrs"), name="cell")
    return df


class TestConversion:
    def test_every_cell_reads_as_pandas_prints_it(self, mixed):
        info = _render._frameInfo(mixed)
        assert info["columns"] == list(COLUMNS)
        assert info["text"] == _pandasText(mixed)
        assert info["index"] == ["p", "q", "r", "s"]
        assert info["indexName"] == "cell"
        assert info["rows"] == 4

    def test_numericness_and_types_follow_pandas(self, mixed):
        info = _render._frameInfo(mixed)
        assert info["numeric"] == [_numeric(mixed[c]) for c in mixed.columns]
        assert info["types"] == [str(dtype) for dtype in mixed.dtypes]

    def test_kinds(self, mixed):
        kinds = dict(zip(mixed.columns, _render._frameInfo(mixed)["kinds"]))
        assert kinds["uint64"] == "int"
        assert kinds["float16"] == "float"
        assert kinds["Int64"] == "nullable int"
        assert kinds["boolean"] == "nullable bool"
        assert kinds["text"] == kinds["objectText"] == kinds["string"] == "text"
        assert kinds["category"] == "categorical"
        assert kinds["mixed"] == kinds["datetimeTz"] == kinds["complex64"] == "object"

    def test_distinct_values_in_order_of_appearance_missing_once(self, mixed):
        distinct = _render._frameInfo(mixed)["distinct"]
        assert distinct == {c: _pandasDistinct(mixed[c]) for c in mixed.columns}
        # Unused categories never show; "1" and 1 stay apart while 1 and 1.0 merge.
        assert distinct["category"] == ["u", "nan", "w"]
        assert distinct["mixed"] == ["1", "1", "None"]

    @pytest.mark.parametrize(
        "index",
        [
            pd.RangeIndex(2, 10, 4),
            pd.Index([1.5, np.nan], name=0),
            pd.DatetimeIndex(["2024-01-02", "2025-03-04"], name="when"),
            pd.CategoricalIndex(["b", "a"]),
            pd.MultiIndex.from_tuples([("a", 1), ("b", 2)]),
        ],
        ids=["range", "float", "datetime", "categorical", "multi"],
    )
    def test_index_labels_and_name(self, index):
        df = pd.DataFrame({"v": [1, 2]}, index=index)
        info = _render._frameInfo(df)
        assert info["index"] == [str(label) for label in df.index]
        assert info["indexName"] == (None if df.index.name is None else str(df.index.name))

    def test_column_labels_keep_their_kind(self):
        df = pd.DataFrame([[1, 2, 3]], columns=[1, "1", 2.5])
        assert _render._frameInfo(df)["columns"] == ["1", "1", "2.5"]
        assert [_render._frameColumn(df, c) for c in (1, "1", np.int64(1), 2.5)] == [["1"], ["2"], ["1"], ["3"]]
        df = pd.DataFrame([[1, 2]], columns=pd.MultiIndex.from_tuples([("a", "x"), ("a", "y")]))
        assert _render._frameInfo(df)["columns"] == ["('a', 'x')", "('a', 'y')"]

    def test_unencodable_text_strided_and_byte_swapped_buffers(self):
        df = pd.DataFrame({"t": pd.Series(["ünï", "日本", "\ud800x"], dtype=object)})
        assert _render._frameInfo(df)["text"]["t"] == ["ünï", "日本", "\\ud800x"]
        block = np.arange(6, dtype=np.float64).reshape(3, 2)  # each column strided
        assert _render._frameInfo(block)["text"] == {"0": ["0.0", "2.0", "4.0"], "1": ["1.0", "3.0", "5.0"]}
        swapped = pd.DataFrame({"x": pd.Series(np.array([1, 256], dtype=">i4"))})
        assert _render._frameInfo(swapped)["text"]["x"] == _cells(swapped["x"])


class TestInputs:
    @pytest.mark.parametrize(
        "data",
        [
            {"a": [1, 2], "b": ["x", "y"]},
            [{"a": 1}, {"a": 2, "b": 3.5}],
            np.arange(4).reshape(2, 2),
            [[1, "x"], [2, "y"]],
            pd.Series([1.5, 2.5], name="score"),
            pd.Series([1.5, 2.5]),
            pd.Series(["a"], name=7),
        ],
        ids=["mapping", "records", "array", "rows", "series", "unnamed", "number-named"],
    )
    def test_anything_a_data_frame_is_built_from(self, data):
        expected = data.to_frame() if isinstance(data, pd.Series) else pd.DataFrame(data)
        info = _render._frameInfo(data)
        assert info["columns"] == [str(c) for c in expected.columns]
        assert info["text"] == _pandasText(expected)

    def test_what_pandas_refuses_fails_as_pandas_fails(self):
        with pytest.raises(ValueError):
            _render._frameInfo(5)

    def test_empty_frames(self):
        info = _render._frameInfo(pd.DataFrame())
        assert (info["columns"], info["rows"], info["index"]) == ([], 0, [])
        noRows = pd.DataFrame({c: pd.Series(v).iloc[:0] for c, v in COLUMNS.items()})
        info = _render._frameInfo(noRows)
        assert info["rows"] == 0
        assert info["numeric"] == [_numeric(noRows[c]) for c in noRows.columns]
        assert all(texts == [] for texts in info["distinct"].values())

    @settings(max_examples=200, deadline=None)
    @given(
        st.lists(
            st.one_of(
                st.none(), st.booleans(), st.integers(), st.floats(), st.text(max_size=3),
                st.binary(max_size=2), st.just(pd.NA), st.just(NAT),
            ),
            max_size=12,
        )
    )
    def test_object_columns_of_anything(self, values):
        column = pd.Series(values, dtype=object)
        info = _render._frameInfo(pd.DataFrame({"x": column}))
        assert info["text"]["x"] == _cells(column)
        assert info["distinct"]["x"] == _pandasDistinct(column)

    def test_a_failing_str_raises_instead_of_crashing(self):
        class Broken:
            def __str__(self):
                raise ValueError("no text")

        with pytest.raises(ValueError, match="no text"):
            _render._frameInfo(pd.DataFrame({"x": [Broken()]}))


class TestLookupsAndSelection:
    def test_missing_and_repeated_columns(self):
        df = pd.DataFrame([[1, 2, 3]], columns=["a", "a", "b"])
        with pytest.raises(KeyError, match="nope"):
            _render._frameColumn(df, "nope")
        with pytest.raises(ValueError, match="not unique"):
            _render._frameColumn(df, "a")
        assert _render._frameColumn(df, "b") == ["3"]

    def test_take_reorders_rows_and_checks_bounds(self, mixed):
        taken = _render._frameTake(mixed, [3, 0, 0])
        assert taken["index"] == ["s", "p", "p"]
        assert taken["text"] == _pandasText(mixed.iloc[[3, 0, 0]])
        with pytest.raises(IndexError):
            _render._frameTake(mixed, [4])


class TestAlignment:
    # Interval columns are left out: pandas turns int intervals into float ones on reindex.
    @pytest.mark.parametrize("labels", [["s", "zz", "p", "q"], ["q", "p"]], ids=["missing", "all-present"])
    def test_cells_and_types_match_reindex(self, mixed, labels):
        aligned = _render._frameAlign(mixed, labels)
        expected = mixed.reindex(labels)
        assert aligned["index"] == labels
        assert aligned["text"] == _pandasText(expected)
        assert aligned["types"] == [str(dtype) for dtype in expected.dtypes]

    @pytest.mark.parametrize(
        "index, labels",
        [
            ([1, 2, 3], [3.0, 2.5, 1]),
            ([1, 2, 3], ["1", 2]),
            (["1", "x", "2"], [1, "x"]),
            ([1.5, np.nan, 0.0], [np.nan, -0.0]),
            (pd.to_datetime(["2024-01-01", "2024-01-02"]), pd.to_datetime(["2024-01-02", "2023-01-01"])),
        ],
        ids=["float-labels", "text-labels", "object-index", "nan-label", "datetime"],
    )
    def test_labels_match_as_pandas_matches_them(self, index, labels):
        df = pd.DataFrame({"v": range(len(index))}, index=index)
        assert _render._frameAlign(df, labels)["text"] == _pandasText(df.reindex(labels))

    def test_a_repeated_index_label_fails_as_in_pandas(self):
        df = pd.DataFrame({"v": [1, 2]}, index=["a", "a"])
        with pytest.raises(ValueError, match="duplicate"):
            _render._frameAlign(df, ["a"])


# numpy 2.3 gave float32 and float16 scalars bounds of their own past which str() turns
# scientific; its legacy="2.2" print mode, like every earlier numpy, keeps float64's.
# Under a newer numpy the module is told to read the print mode again, so both rules are held
# against numpy in one process; under an older one only the native rule exists.
OWN_NARROW_BOUNDS = np.lib.NumpyVersion(np.__version__) >= "2.3.0"
PRINT_MODES = ["running", pytest.param("2.2", marks=pytest.mark.skipif(
    not OWN_NARROW_BOUNDS, reason="this numpy prints narrow floats this way natively"))]


@contextlib.contextmanager
def _printedAs(mode):
    if mode == "running":
        yield
        return
    try:
        with np.printoptions(legacy=mode):
            _render._followNumpyText()
            yield
    finally:
        _render._followNumpyText()  # once numpy's own options are back


class TestFloatText:
    """The C++ float formatting against numpy's str() of the same scalar, under each print rule."""

    @staticmethod
    def _texts(values):
        return _render._frameInfo(pd.DataFrame({"x": values}))["text"]["x"]

    @pytest.mark.parametrize("mode", PRINT_MODES)
    @pytest.mark.parametrize("dtype", [np.float64, np.float32])
    @settings(max_examples=300, deadline=None)
    @given(data=st.data())
    def test_drawn_values(self, dtype, mode, data):
        values = data.draw(hnp.arrays(dtype, st.integers(1, 40)))
        with _printedAs(mode):
            assert self._texts(values) == [str(v) for v in values]

    @pytest.mark.parametrize("mode", PRINT_MODES)
    @pytest.mark.parametrize("dtype, bits", [(np.float64, np.uint64), (np.float32, np.uint32)])
    def test_random_bit_patterns(self, dtype, bits, mode):
        info = np.iinfo(bits)
        raw = np.random.default_rng(7).integers(0, info.max, 100_000, dtype=bits, endpoint=True)
        values = raw.view(dtype)
        with _printedAs(mode):
            assert self._texts(values) == [str(v) for v in values]

    @pytest.mark.parametrize("mode", PRINT_MODES)
    def test_every_float16(self, mode):
        values = np.arange(2**16, dtype=np.uint32).astype(np.uint16).view(np.float16)
        with _printedAs(mode):
            assert self._texts(values) == [str(v) for v in values]

    @pytest.mark.parametrize("mode", PRINT_MODES)
    def test_float32_at_both_bounds(self, mode):
        # Random bits seldom land next to a bound; every float16 is checked above.
        values = np.array([999_999.94, 1e6, 1e15, 9.9999998e15, 1e16], dtype=np.float32)
        values = np.concatenate([values, -values])
        with _printedAs(mode):
            assert self._texts(values) == [str(v) for v in values]
