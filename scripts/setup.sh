#!/usr/bin/env bash
# Sets up a fresh machine: system packages, a virtual environment, and the package built from source.
set -euo pipefail
cd "$(dirname "$0")/.."

apt_packages=(chromium fonts-liberation libgtest-dev ninja-build zlib1g-dev)
missing=()
for p in "${apt_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi

PYTHON=${PYTHON:-python3}
[ -x .venv/bin/python ] || "$PYTHON" -m venv .venv
.venv/bin/python -m pip install -q --upgrade pip
# The build tools live in the environment so that rebuilds reuse the cached build directory.
.venv/bin/python -m pip install -q "scikit-build-core>=0.10" "nanobind>=2.4"
.venv/bin/python -m pip install -q --no-build-isolation ".[test,dask]"
