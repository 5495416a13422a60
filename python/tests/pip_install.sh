#!/usr/bin/env bash
# pip install --no-build-isolation, as a user does from a clone, into a
# virtual environment that sees Debian's packages, with no package index;
# then the Python tests against what pip installed.
# usage: pip_install.sh SOURCE_DIR PYTHON
set -euo pipefail
source=$1 python=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# A copy of what the build reads, so that pip's build folders stay out of the clone.
mkdir "$scratch/clone"
cp -r "$source"/{CMakeLists.txt,pyproject.toml,setup.py,teletraffic,python} "$scratch/clone"
"$python" -m venv --without-pip --system-site-packages "$scratch/venv"
"$scratch/venv/bin/python" -m pip install -q --no-build-isolation --no-index "$scratch/clone" \
    >"$scratch/log" 2>&1 || { cat "$scratch/log" >&2 && exit 1; }
cd "$scratch"
installed=$("$scratch/venv/bin/python" -c 'import corvane; print(corvane.__file__)')
[[ $installed == "$scratch/venv/"* ]] || { echo "FAIL: corvane imported from $installed" >&2 && exit 1; }
"$scratch/venv/bin/python" -m pytest -q -p no:cacheprovider "$source/python/tests"
