#!/usr/bin/env bash
# Sets up this machine and renders the example gallery: one self-contained page per family.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
.venv/bin/python -m tessarine.pl._interactive.gallery "${1:-gallery}"
