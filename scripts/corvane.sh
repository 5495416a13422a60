#!/usr/bin/env bash
# The two ways in, from a fresh clone:
#   scripts/corvane.sh run    install what is missing, build, start the program
#   scripts/corvane.sh test   install what is missing, build, run every test
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-}
case "$mode" in
run | test) ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac

scripts/install-deps.sh "$mode"
jobs=$(nproc)

if [[ $mode == run ]]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
    cmake --build build -j "$jobs"
    exec build/app/corvane
fi

cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_WERROR=ON -DCORVANE_BENCH=ON
cmake --build build-test -j "$jobs"
ctest --test-dir build-test --output-on-failure -j "$jobs"

# The same suite under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_WERROR=ON -DCORVANE_SANITIZE=ON
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure -j "$jobs"

# The input path under libFuzzer for about a minute; fuzz/run.sh SECONDS for longer.
fuzz/run.sh 60
