#!/usr/bin/env bash
# pip install --no-build-isolation, as a user does from a clone, into a
# virtual environment that sees Debian's packages, with no package index;
# then what pip installed is imported, answers, and carries its stubs and the
# version pip's metadata gives. (python.pytest holds the answers themselves.)
# usage: pip_install.sh SOURCE_DIR PYTHON
set -euo pipefail
source=$1 python=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# A copy of what the build reads, so that pip's build folders stay out of the clone.
mkdir "$scratch/clone"
cp -r "$source"/{CMakeLists.txt,pyproject.toml,setup.py,teletraffic,textio,records,transient,shifts,python} \
    "$scratch/clone"
"$python" -m venv --without-pip --system-site-packages "$scratch/venv"
"$scratch/venv/bin/python" -m pip install -q --no-build-isolation --no-index "$scratch/clone" \
    >"$scratch/log" 2>&1 || { cat "$scratch/log" >&2 && exit 1; }
cd "$scratch"
"$scratch/venv/bin/python" - "$scratch/venv/" <<'PY'
import importlib.metadata
import os
import sys

import corvane
import pandas as pd

here = os.path.dirname(corvane.__file__)
checks = {
    "imported from the environment": corvane.__file__.startswith(sys.argv[1]),
    "answers": corvane.erlang_b_lines(traffic=10, blocking=0.01) == 18,
    "reads call records": corvane.Records.__module__ == "corvane",
    "plans a day": list(corvane.day([70, 160], interval=15, aht=240, average_wait=10).agents) == [21, 44],
    "schedules": corvane.shifts(
        pd.Series([2, 1], index=["08:00", "08:30"]),
        [{"name": "a", "start": {"earliest": "08:00"}, "length": 60}]).agents == 2,
    "stubs installed": all(os.path.exists(os.path.join(here, f)) for f in ("__init__.pyi", "py.typed")),
    "one version": corvane.__version__ == importlib.metadata.version("corvane"),
}
failed = [what for what, ok in checks.items() if not ok]
if failed:
    sys.exit(f"FAIL: {', '.join(failed)} ({corvane.__file__}, {corvane.__version__}, "
             f"{importlib.metadata.version('corvane')})")
PY
