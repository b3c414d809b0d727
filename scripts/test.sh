#!/usr/bin/env bash
# Every test: C++ unit tests, the Python suite (browser tests included), the Python suite again on
# the oldest supported releases and with Arrow-backed strings, and C++ and Python under ASan/UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

jobs=$(nproc)
py=.venv/bin/python
nanobind_dir=$($py -m nanobind --cmake_dir)

echo "== C++ unit tests"
cmake -S . -B build/cpp -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESS_WERROR=ON >/dev/null
cmake --build build/cpp -j "$jobs" >/dev/null
ctest --test-dir build/cpp --output-on-failure -j "$jobs"

echo "== Python tests"
$py -m pytest -q -p no:cacheprovider

echo "== Python tests on the oldest supported releases, and with Arrow-backed strings"
scripts/setup_hosts.sh
.venv-oldest/bin/python -m pytest -q -p no:cacheprovider
# How pandas stores text changes what the core reads, not what plotly.js draws: no browser here.
.venv-arrow/bin/python -m pytest -q -p no:cacheprovider -m "not browser"

echo "== Sanitizers (ASan + UBSan)"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESS_SANITIZE=ON -DTESS_BUILD_PYTHON=ON \
  -DPython_EXECUTABLE="$PWD/$py" -Dnanobind_DIR="$nanobind_dir" >/dev/null
cmake --build build/asan -j "$jobs" >/dev/null
ctest --test-dir build/asan --output-on-failure -j "$jobs"
# The sanitized extension modules, laid out as the package, ahead of the installed ones.
stage=build/asan/stage
rm -rf "$stage" && mkdir -p "$stage" && cp -r python/tessarine "$stage/"
cp build/asan/_*.so "$stage/tessarine/pl/_interactive/"
LD_PRELOAD="$(gcc -print-file-name=libasan.so):$(gcc -print-file-name=libubsan.so)" \
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
PYTHONPATH="$PWD/$stage" TESS_EXPECT_SANITIZED=1 \
  $py -m pytest -q -p no:cacheprovider -m "not browser"
