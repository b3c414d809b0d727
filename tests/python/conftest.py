import os

import pytest

from tessarine.pl._interactive import _render


def pytest_configure(config):
    # The sanitizer run must exercise the sanitized modules, not the installed ones.
    if os.environ.get("TESS_EXPECT_SANITIZED") and "asan" not in _render.__file__:
        raise pytest.UsageError(f"expected the sanitized build, imported {_render.__file__}")
