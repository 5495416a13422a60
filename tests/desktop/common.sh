# shellcheck shell=bash
# Shared by the desktop tests: the files an install must hold, and a scratch
# folder that goes away however the test ends.

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Paths, relative to the install prefix, that a Corvane install must hold.
expected_files() {
    local app_id=$1 size
    echo bin/corvane
    echo bin/corvane-cli
    echo share/man/man1/corvane-cli.1.gz
    echo share/bash-completion/completions/corvane-cli
    echo "share/applications/$app_id.desktop"
    echo "share/metainfo/$app_id.metainfo.xml"
    for size in 32 48 64 128 256; do
        echo "share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    done
    echo "share/icons/hicolor/scalable/apps/$app_id.svg"
    echo share/doc/corvane/copyright
    echo bin/corvane-tables
    echo share/applications/org.corvane.CorvaneTables.desktop
    echo share/metainfo/org.corvane.CorvaneTables.metainfo.xml
}

# Makes $scratch, removed however the test ends.
make_scratch() {
    scratch=$(mktemp -d "${TMPDIR:-/tmp}/corvane-desktop.XXXXXX")
    trap 'rm -rf "$scratch"' EXIT
}

# Runs a command quietly, and shows its output only when it fails.
run_logged() {
    local what=$1
    shift
    if ! "$@" >"$scratch/log" 2>&1; then
        cat "$scratch/log" >&2
        fail "$what failed: $*"
    fi
}
