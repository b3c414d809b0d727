#!/usr/bin/env bash
# Two more environments for the Python suite, next to setup.sh's .venv (newest releases):
#   .venv-oldest  the oldest host pyproject.toml accepts: its lowest Python and every dependency
#                 at its lower bound; the package is built for that Python.
#   .venv-arrow   the newest pandas with pyarrow, so text columns are Arrow-backed, on numpy 2.2,
#                 the last numpy printing float32 and float16 with float64's bounds; the
#                 package is .venv's own build, installed as a wheel.
# Run again at any time: what is already in place is kept.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -x .venv/bin/python ] || scripts/setup.sh

# The lower bounds, read from pyproject.toml so that what it promises is what is tested:
# requires-python ">=3.10" names the interpreter, "numpy>=1.24" becomes numpy==1.24.
mapfile -t oldest < <(.venv/bin/python - <<'EOF'
import re, tomllib
with open("pyproject.toml", "rb") as f:
    project = tomllib.load(f)["project"]
print(project["requires-python"].removeprefix(">="))
for requirement in project["dependencies"]:
    name, bound = re.fullmatch(r"([\w.-]+)>=([\d.]+)", requirement).groups()
    print(f"{name}=={bound}")
EOF
)
version=${oldest[0]}
pins=("${oldest[@]:1}")

python=""
for candidate in "python$version" "$(pyenv root 2>/dev/null)/versions/$version".*/bin/"python$version"; do
  if "$candidate" -c "" 2>/dev/null; then python=$candidate; break; fi
done
if [ -z "$python" ]; then
  python=python3
  echo "warning: no Python $version on this machine; the oldest releases run on $($python -V)" >&2
fi
[ "$(.venv-oldest/bin/python -V 2>&1)" = "$("$python" -V 2>&1)" ] || { rm -rf .venv-oldest; "$python" -m venv .venv-oldest; }
old=.venv-oldest/bin/python
$old -m pip install -q --upgrade pip
$old -m pip install -q "scikit-build-core>=0.10" "nanobind>=2.4"
$old -m pip install -q --no-build-isolation "${pins[@]}" ".[test]"

# The same Python as .venv, so that .venv's build directory makes the wheel without compiling.
[ -x .venv-arrow/bin/python ] || .venv/bin/python -m venv .venv-arrow
arrow=.venv-arrow/bin/python
rm -rf build/wheel
.venv/bin/python -m pip wheel -q --no-build-isolation --no-deps -w build/wheel .
wheel=$(echo build/wheel/tessarine-*.whl)
$arrow -m pip install -q --upgrade pip
$arrow -m pip install -q "numpy==2.2.*" pyarrow "$wheel[test]"
$arrow -m pip install -q --force-reinstall --no-deps "$wheel"

for env in .venv-oldest .venv-arrow; do
  $env/bin/python -c "import sys, numpy, pandas, plotly, importlib.util as u
print('$env:', 'Python', sys.version.split()[0], '· numpy', numpy.__version__, '· pandas', pandas.__version__,
      '· plotly', plotly.__version__, '· pyarrow' if u.find_spec('pyarrow') else '· no pyarrow')"
done
