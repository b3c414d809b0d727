"""Raster layers of clouds held by dask, binned partition by partition where the data lives.

`_render.rasterTraces` hands a cloud here when "x", "y" or "codes" is a dask array or Series.
Nothing is gathered: a first pass takes each partition's extent and category counts (the
codes alone when the window is given), the fold is decided from the summed counts, and a
second pass bins each partition with the raster component. With the window given and no
more categories than the fold keeps, one pass bins and counts at once. The partial grids are summed as
a tree, so the caller receives one grid. Everything runs on the scheduler in use (threads,
processes or a distributed client).
"""

from functools import partial

from . import _raster

EXTRA = "tessarine[dask]"
# Partial results combined by one task of the tree: few levels, so each count is added and
# moved few times, while eight partial grids stay far below a worker's memory.
SPLIT = 8


def binCloud(x, y, codes, nCategories, window, shape):
    """(grid, window, counts) of a cloud whose columns are dask collections.

    grid: the uint32 counts over `window` (the data's window when None) and `shape`, with
    the categories folded as the counts per category (`counts`, None without codes) decide.
    """
    dask = _importDask()
    columns = _columns({"x": x, "y": y, "codes": codes})
    # A bad window or shape fails before any partition is read.
    _raster.binPoints((), (), None, 0, window or (0.0, 1.0, 0.0, 1.0), shape)
    coded = codes is not None
    counts = None
    if window is not None and coded and 0 < nCategories <= _raster.MAX_CATEGORIES:
        # The fold can only drop empty categories: one pass bins the codes as they are and
        # counts them, and the empty ones are dropped from the sum.
        binned = partial(_binCounted, nCategories, tuple(window), tuple(shape))
        grid, counts = dask.compute(_tree(dask, _perPartition(columns, binned), _sumCounted))[0]
        if counts.any():
            return grid[:, :, counts > 0].astype("uint32"), window, counts
        # No code names a category: as in memory, every point counts in one channel.
    elif window is None or coded:
        surveyed = columns if window is None else {"codes": columns["codes"]}
        survey = partial(_survey, window is None, nCategories if coded else None)
        parts = _perPartition(surveyed, survey, fuseReads=window is None)
        extent, counts = dask.compute(_tree(dask, parts, _mergeSurveys))[0]
        if window is None:
            window = _raster.windowAround(extent)
    channels, n = _raster.foldCounts(counts) if coded else (None, 0)
    binned = partial(_bin, n, tuple(window), tuple(shape), channels)
    grid = dask.compute(_tree(dask, _perPartition(columns, binned), _sumGrids))[0]
    return grid.astype("uint32", copy=False), window, counts


def _importDask():
    try:
        import dask
        import dask.array  # noqa: F401
    except ImportError as error:
        raise ImportError(
            "the cloud is a dask collection, and drawing it needs dask: install the extra with "
            f"`pip install '{EXTRA}'`") from error
    return dask


def _series():
    """dask's Series type; none without dask's dataframe dependencies, when no input can be one."""
    try:
        from dask.dataframe import Series
    except ImportError:
        return ()
    return Series


def _columns(given):
    """The cloud's collections, checked to pair up partition by partition: all Series, or
    else all arrays."""
    import dask.array as da

    columns = {name: value for name, value in given.items() if value is not None}
    for name, value in columns.items():
        if not hasattr(value, "__dask_graph__"):
            raise TypeError(f"full[{name!r}] must be a dask collection like the cloud's others, "
                            f"got {type(value).__module__}.{type(value).__qualname__}")
        if not isinstance(value, (da.Array, _series())):
            raise TypeError(f"full[{name!r}] must be a dask array or Series, got {type(value).__qualname__}")
        columns[name] = _checked(name, value)
    if not all(isinstance(value, _series()) for value in columns.values()):
        columns = {name: value if isinstance(value, da.Array) else value.to_dask_array()
                   for name, value in columns.items()}
    for name, value in columns.items():
        _checkPairing(columns["x"], name, value)
    return columns


def _checked(name, value):
    """The collection after checking its type of values; a categorical's codes for its values."""
    dtype = value.dtype
    if name == "codes" and str(dtype) == "category":
        if not value.cat.known:
            raise ValueError(
                "full['codes'] is a categorical with unknown categories, whose codes differ from "
                "partition to partition: make them known first (.cat.as_known(), or "
                ".astype(pandas.CategoricalDtype(categories)), which costs no pass)")
        return value.cat.codes
    if value.ndim != 1:
        raise ValueError(f"full[{name!r}] must have 1 dimension(s), got {value.ndim}")
    kinds, what = ("iu", "integers") if name == "codes" else ("fiu", "real numbers")
    if dtype.kind not in kinds:
        raise TypeError(f"full[{name!r}] must hold {what}, got {dtype}")
    return value


def _checkPairing(x, name, value):
    """ValueError unless a collection splits into partitions that pair up row for row with x's."""
    if isinstance(x, _series()):
        if x.npartitions != value.npartitions:
            raise ValueError(f"x and {name} are split differently: into {x.npartitions} and "
                             f"{value.npartitions} partitions")
        if x.known_divisions and value.known_divisions and x.divisions != value.divisions:
            raise ValueError(f"x and {name} are split differently: at {x.divisions} and {value.divisions}")
        return
    known = all(size == size for size in x.chunks[0] + value.chunks[0])  # nan: unknown
    if known and x.shape != value.shape:
        raise ValueError(f"codes hold {value.shape[0]} values for {x.shape[0]} points" if name == "codes" else
                         f"x and {name} differ in length: {x.shape[0]} and {value.shape[0]}")
    if x.numblocks != value.numblocks or (known and x.chunks != value.chunks):
        raise ValueError(f"x and {name} are chunked differently: {x.chunks[0]} and {value.chunks[0]}")


def _perPartition(columns, function, fuseReads=True):
    """One delayed result of function(*parts) for each partition the columns share.

    Without fuseReads, Series keep one task per partition. When a read takes a fraction of a
    table's columns, dask's optimiser merges its partitions, concatenating them and building a
    64-bit index per merged task: on parquet that copy costs more than counting the codes, and
    skipping it made the codes pass a fifth faster.
    """
    import dask.array as da
    import numpy as np

    first, *rest = columns.values()
    if isinstance(first, _series()):
        mapped = first.map_partitions(function, *rest, meta=("part", object), enforce_metadata=False)
        if not fuseReads:
            # simplify() still narrows the read to the columns used.
            return list(mapped.simplify().to_delayed(optimize_graph=False))
        return list(mapped.to_delayed())
    mapped = da.map_blocks(function, *columns.values(), dtype=object, meta=np.empty((0,), object))
    return list(mapped.to_delayed().ravel())


def _tree(dask, parts, combine):
    """The partitions' results combined SPLIT at a time into one delayed result."""
    combined = dask.delayed(combine, pure=True)
    while len(parts) > 1:
        parts = [combined(*parts[i:i + SPLIT]) for i in range(0, len(parts), SPLIT)]
    return parts[0]


def _survey(withExtent, nCategories, *parts):
    """(extent or None, counts or None) of one partition: parts are (x, y, codes), (x, y) or (codes,)."""
    extent = _raster.extent(parts[0], parts[1]) if withExtent else None
    counts = _raster.countCategories(parts[-1], nCategories) if nCategories is not None else None
    return extent, counts


def _mergeSurveys(*surveys):
    extents, counts = zip(*surveys)
    extent = None
    if extents[0] is not None:
        x0, x1, y0, y1 = zip(*extents)
        extent = (min(x0), max(x1), min(y0), max(y1))
    return extent, None if counts[0] is None else sum(counts[1:], counts[0])


def _bin(nCategories, window, shape, channels, x, y, codes=None):
    # Narrow counts: most partial grids are a quarter of the 32-bit size to move and add.
    return _raster.binPoints(x, y, codes, nCategories, window, shape, channels, narrow=True)


def _binCounted(nCategories, window, shape, x, y, codes):
    return (_raster.binPoints(x, y, codes, nCategories, window, shape, narrow=True),
            _raster.countCategories(codes, nCategories))


def _sumCounted(*parts):
    grids, counts = zip(*parts)
    return _raster.addGrids(grids), sum(counts[1:], counts[0])


def _sumGrids(*grids):
    return _raster.addGrids(grids)
