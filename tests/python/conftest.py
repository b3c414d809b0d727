import os

import pytest
from hypothesis import settings

from tessarine.pl._interactive import _render


# The same examples on every run, so a green suite stays green; explore with
# HYPOTHESIS_PROFILE=explore to draw new ones.
settings.register_profile("repeatable", derandomize=True)
settings.register_profile("explore", derandomize=False)
settings.load_profile(os.environ.get("HYPOTHESIS_PROFILE", "repeatable"))


def pytest_configure(config):
    # The sanitizer run must exercise the sanitized modules, not the installed ones.
    if os.environ.get("TESS_EXPECT_SANITIZED") and "asan" not in _render.__file__:
        raise pytest.UsageError(f"expected the sanitized build, imported {_render.__file__}")
