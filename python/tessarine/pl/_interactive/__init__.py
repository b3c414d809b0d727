"""Interactive figures: specs rendered as plotly figures by a compiled core."""

try:
    from . import _render  # noqa: F401
except ImportError as error:  # pragma: no cover - only without a build
    raise ImportError(
        "tessarine's compiled renderer is missing; install the package with "
        "`pip install .` from the repository root so that it is built."
    ) from error
