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
stage() { printf '\n==> %s\n' "$*"; }

stage "Debian packages: installing what is missing (scripts/install-deps.sh $mode)"
scripts/install-deps.sh "$mode"
jobs=$(nproc)

if [[ $mode == run ]]; then
    # The same folder and build type as the README's install commands.
    stage "Building Corvane in build/ (Release)"
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
    cmake --build build -j "$jobs"
    stage "Starting build/app/corvane"
    exec build/app/corvane
fi

# Ninja for the build folders this command makes: it starts compiling a
# target while the libraries it links are still being built, where make waits
# for each library, leaving a core idle.
export CMAKE_GENERATOR=${CMAKE_GENERATOR:-Ninja}
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# The number of tests one ctest run ran, from its own closing line (ctest -N
# would overwrite the run's Testing/Temporary/LastTest.log).
ran() { sed -n 's/.* tests failed out of \([0-9]*\)$/\1/p' "$log"; }

stage "1/4 Building in build-test/ with warnings as errors, then the whole suite: calculation, window and command line, install and Debian package, end-to-end under Xvfb and openbox"
# Line tables only (-g1): a backtrace still gives file and line, and the
# build takes a fifth less time than with full debugging information.
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
    -DCORVANE_WERROR=ON -DCORVANE_BENCH=ON
cmake --build build-test -j "$jobs"
ctest --test-dir build-test --output-on-failure -j "$jobs" | tee "$log"
suite=$(ran)

# Package and source checks have nothing to gain from sanitizers. -Og: every
# memory access stays in the code for AddressSanitizer to check, and the
# build takes a third of the time it takes at -O2 with full debugging
# information.
stage "2/4 Building in build-asan/ with AddressSanitizer and UndefinedBehaviorSanitizer, then the suite again without its package and format checks"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-Og -g1 -DNDEBUG" \
    -DCORVANE_WERROR=ON -DCORVANE_SANITIZE=ON
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE 'desktop|static' | tee "$log"
sanitized=$(ran)

stage "3/4 Building the engine and corvane-cli in build-tsan/ with ThreadSanitizer, then batches on 2 threads (scripts/tsan-batch.sh)"
scripts/tsan-batch.sh | tee "$log"
threads=$(tail -n 1 "$log")

stage "4/4 Fuzzing with libFuzzer for 60 s in all, two targets at a time (build-fuzz/, clang): the window's input path, the call records' and the shifts' readers, the CSV reader, the number grammar; fuzz/run.sh SECONDS for longer"
fuzz/run.sh 60 | tee "$log"
fuzzed=$(tail -n 1 "$log")

stage "Passed: ${suite} tests, ${sanitized} of them again under the sanitizers; ${threads}; ${fuzzed}"
