"""Raster layers of clouds held by dask: the same picture as in memory, partition by partition."""
from types import SimpleNamespace

import numpy as np
import pandas as pd
import plotly.graph_objects as go
import pytest
from hypothesis import example, given, settings
from hypothesis import strategies as st

from tessarine.pl._interactive import _dask, _raster, _render

dask = pytest.importorskip("dask")
da = pytest.importorskip("dask.array")
dd = pytest.importorskip("dask.dataframe")

# dask's parquet reader calls a pandas method that pandas 3.1 deprecates.
pytestmark = pytest.mark.filterwarnings("ignore:The inplace keyword")


def spec(**full):
    return SimpleNamespace(full=full)


def lazy(values, sizes, asSeries):
    """values split into partitions of the given sizes, as a dask Series or array."""
    if not asSeries:
        return da.from_array(values, chunks=(tuple(sizes),))
    ends = np.cumsum([0, *sizes])
    frame = pd.Series(values)
    return dd.from_map(lambda bounds: frame.iloc[bounds[0]:bounds[1]], list(zip(ends[:-1], ends[1:])),
                       meta=frame.iloc[:0], enforce_metadata=False)


def inMemoryGrid(x, y, codes, names, window, shape):
    """Counts the in-memory path bins, with its fold."""
    n = 0
    if codes is not None:
        codes, n, _ = _raster.foldCategories(codes, len(names), names)
    return _raster.binPoints(x, y, codes, n, window or _raster.bounds(x, y), shape)


FINITE = st.floats(-1e3, 1e3, width=32)
NON_FINITE = st.sampled_from([np.nan, np.inf, -np.inf])
ANY = st.one_of(FINITE, NON_FINITE)
CODE = st.integers(-2, 82)  # below 0 and past the last category too
# One partition of (x, y, code): empty, only non-finite coordinates, one point, or a mix of everything.
PARTITION = st.one_of(
    st.just([]),
    st.lists(st.tuples(NON_FINITE, ANY, CODE), min_size=1, max_size=5),
    st.lists(st.tuples(FINITE, FINITE, CODE), min_size=1, max_size=1),
    st.lists(st.tuples(ANY, ANY, CODE), max_size=40),
)
# More filled categories than the fold keeps.
MANY = [[(float(c), float(c % 7), c) for c in range(_raster.MAX_CATEGORIES + 6)]] * 3


@settings(max_examples=40, deadline=None)
@given(partitions=st.lists(PARTITION, min_size=1, max_size=6), k=st.integers(0, 80), asSeries=st.booleans(),
       dtype=st.sampled_from([np.float32, np.float64]), windowed=st.booleans(), coded=st.booleans())
@example(partitions=MANY, k=_raster.MAX_CATEGORIES + 6, asSeries=True, dtype=np.float32, windowed=False, coded=True)
@example(partitions=MANY, k=_raster.MAX_CATEGORIES + 6, asSeries=False, dtype=np.float64, windowed=True, coded=True)
# No code names one of the categories: every point counts in one channel.
@example(partitions=[[(0.0, 0.0, 5), (1.0, 1.0, -1)], []], k=3, asSeries=True, dtype=np.float32, windowed=True,
         coded=True)
def test_any_partitioning_gives_the_picture_of_the_cloud_in_memory(partitions, k, asSeries, dtype, windowed, coded):
    sizes = [len(p) for p in partitions]
    x, y, c = (np.array([p[i] for part in partitions for p in part], t).reshape(-1)
               for i, t in enumerate((dtype, dtype, np.int16)))
    c = c if coded else None
    names = [f"c{i}" for i in range(k)]
    window = (-500.0, 600.0, -300.0, 900.0) if windowed else None
    shape = (7, 5)
    full = dict(x=lazy(x, sizes, asSeries), y=lazy(y, sizes, asSeries), categories=names, label="cell type")
    if coded:
        full["codes"] = lazy(c, sizes, asSeries)
    with dask.config.set(scheduler="synchronous"):
        grid, binnedWindow, _ = _dask.binCloud(full["x"], full["y"], full.get("codes"), k, window, shape)
        traces, layerWindow, kept = _render.rasterTraces(spec(**full), window, shape)
    np.testing.assert_array_equal(grid, inMemoryGrid(x, y, c, names, window, shape))
    expected = _render.rasterTraces(spec(x=x, y=y, codes=c, categories=names, label="cell type"), window, shape)
    assert (traces, layerWindow, kept) == expected
    assert tuple(binnedWindow) == layerWindow


@pytest.mark.parametrize("pile", [255, 256, 65_535, 65_536 + 300])
@pytest.mark.parametrize("split", [False, True])
def test_a_pile_past_a_partial_grids_width_is_counted_whole(pile, split):
    # Partial grids are as narrow as their counts; a pile in one bin crosses 8 and 16 bits while
    # a partition is binned (one partition) or while partial grids are added (split in two).
    x = np.r_[np.full(pile, 0.5), np.linspace(0, 1, 40)]
    codes = np.r_[np.ones(pile, np.int16), np.arange(40, dtype=np.int16) % 3]
    sizes = [pile // 2, pile - pile // 2 + 40] if split else [pile + 40]
    cloud = [da.from_array(values, chunks=(tuple(sizes),)) for values in (x, x[::-1], codes)]
    names = ["a", "b", "c"]
    with dask.config.set(scheduler="synchronous"):
        grid, window, _ = _dask.binCloud(*cloud, len(names), None, (4, 4))
    assert grid.dtype == np.uint32
    np.testing.assert_array_equal(grid, inMemoryGrid(x, x[::-1], codes, names, None, (4, 4)))


@pytest.mark.parametrize("nNames", [3, _raster.MAX_CATEGORIES + 1])
@pytest.mark.parametrize("window", [None, (-1.0, 9.0, -1.0, 4.0)])
def test_categorical_codes_are_read_as_their_codes_on_both_paths(nNames, window):
    names = ["B", "T", "NK", *(f"c{i}" for i in range(nNames - 3))]
    frame = pd.DataFrame({"x": np.arange(9.0), "y": np.arange(9.0) % 4,
                          "cell": pd.Categorical.from_codes([2, 0, 1, 2, -1, 0, 2, 2, 1], names)})
    cloud = dd.from_pandas(frame, npartitions=3)
    asCodes = _render.rasterTraces(spec(x=frame.x, y=frame.y, codes=frame.cell.cat.codes, categories=names), window)
    assert _render.rasterTraces(spec(x=frame.x, y=frame.y, codes=frame.cell, categories=names), window) == asCodes
    assert _render.rasterTraces(spec(x=cloud.x, y=cloud.y, codes=cloud.cell, categories=names), window) == asCodes


@pytest.mark.parametrize("make, error, message", [
    (lambda x, c: dict(x=x, y=da.from_array(np.arange(10.0), chunks=4), codes=c), ValueError, "chunked differently"),
    (lambda x, c: dict(x=x, y=x, codes=da.from_array(np.arange(11), chunks=5)), ValueError, "codes hold 11 values"),
    (lambda x, c: dict(x=x, y=x[:9]), ValueError, "differ in length"),
    (lambda x, c: dict(x=x, y=np.arange(10.0)), TypeError, "full['y'] must be a dask collection"),
    (lambda x, c: dict(x=x, y=x.astype(str)), TypeError, "full['y'] must hold real numbers"),
    (lambda x, c: dict(x=x, y=x, codes=x), TypeError, "full['codes'] must hold integers"),
    (lambda x, c: dict(x=dd.from_pandas(pd.DataFrame({"a": [1.0]}), npartitions=1), y=x), TypeError,
     "dask array or Series"),
    (lambda x, c: dict(x=x.reshape(5, 2), y=x.reshape(5, 2)), ValueError, "1 dimension"),
])
def test_bad_dask_arrays_fail_before_anything_is_computed(make, error, message):
    x, c = da.from_array(np.arange(10.0), chunks=5), da.from_array(np.arange(10), chunks=5)
    with pytest.raises(error, match=message.replace("[", r"\[").replace("]", r"\]")):
        _render.rasterTraces(spec(**make(x, c), categories=list("abcdefghij")))


def test_bad_dask_series_fail_naming_what_is_wrong():
    frame = pd.DataFrame({"x": np.arange(12.0), "y": np.arange(12.0), "code": np.arange(12) % 3})
    cloud = dd.from_pandas(frame, npartitions=3)
    other = dd.from_pandas(frame, npartitions=2)
    with pytest.raises(ValueError, match="split differently: into 3 and 2 partitions"):
        _render.rasterTraces(spec(x=cloud.x, y=other.y))
    # Partitions that pair up but hold different numbers of rows fail when the pass reaches them.
    short = lazy(np.arange(11), [4, 4, 3], asSeries=True)
    with pytest.raises(ValueError, match="codes hold 3 values for 4 points"):
        _render.rasterTraces(spec(x=cloud.x.clear_divisions(), y=cloud.y.clear_divisions(), codes=short,
                                  categories=list("abc")))
    with pytest.raises(ValueError, match="bad window"):
        _render.rasterTraces(spec(x=cloud.x, y=cloud.y), window=(1, 0, 0, 1))
    unknown = cloud.code.astype(str).astype("category")
    with pytest.raises(ValueError, match="unknown categories"):
        _render.rasterTraces(spec(x=cloud.x, y=cloud.y, codes=unknown, categories=["0", "1", "2"]))


def test_the_users_collections_are_left_as_they_were():
    frame = pd.DataFrame({"x": [0.0, 1.0, np.nan, 3.0], "y": [1.0, 0.0, 2.0, 2.0], "code": [0, 1, 1, 5]})
    kept = frame.copy()
    cloud = dd.from_pandas(frame, npartitions=2)
    x = da.from_array(frame.x.to_numpy(), chunks=2)
    keys = (cloud.__dask_keys__(), x.__dask_keys__())
    _render.rasterTraces(spec(x=x, y=cloud.y.to_dask_array(lengths=True), codes=cloud.code.to_dask_array(lengths=True),
                              categories=["a", "b"]))
    _render.rasterTraces(spec(x=cloud.x, y=cloud.y, codes=cloud.code, categories=["a", "b"]), window=(0, 4, 0, 4))
    assert (cloud.__dask_keys__(), x.__dask_keys__()) == keys
    pd.testing.assert_frame_equal(cloud.compute(), kept)
    pd.testing.assert_frame_equal(frame, kept)


def test_on_a_local_cluster_parquet_partitions_draw_the_cloud_in_memory(tmp_path):
    distributed = pytest.importorskip("distributed")
    rng = np.random.default_rng(1)
    n = 30_000
    frame = pd.DataFrame({"x": rng.normal(0, 1, n).astype(np.float32), "y": rng.normal(0, 2, n).astype(np.float32),
                          "gene": rng.zipf(1.3, n).clip(0, 99).astype(np.int16)})
    frame.loc[::97, "x"] = np.nan
    dd.from_pandas(frame, npartitions=5).to_parquet(tmp_path / "points", write_index=False)
    names = [f"gene {i}" for i in range(100)]
    inMemory = spec(x=frame.x.to_numpy(), y=frame.y.to_numpy(), codes=frame.gene.to_numpy(), categories=names)
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, dashboard_address=None) as cluster, \
            distributed.Client(cluster):
        table = dd.read_parquet(tmp_path / "points")
        cloud = spec(x=table.x, y=table.y, codes=table.gene, categories=names)
        for window in (None, (-1.0, 1.5, -3.0, 2.0)):
            traces, *rest = _render.rasterTraces(cloud, window)
            assert [traces, *rest] == list(_render.rasterTraces(inMemory, window))
            go.Image(**traces[0])
