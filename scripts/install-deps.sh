#!/usr/bin/env bash
# Installs, from Debian 12's packages, what building and running Corvane
# needs ("run"), or that and everything its tests need ("test", the default),
# skipping what is already there. Runs as root, or through sudo for another user.
set -euo pipefail

packages=(
    # build
    g++ cmake make pkgconf
    # the window: Qt 6 Widgets (with libxkbcommon-dev, which Qt's CMake files
    # look for as XKB), and free fonts metric-compatible with the Japanese and
    # Latin families the window asks for
    qt6-base-dev libgl-dev libxkbcommon-dev fonts-ipafont-gothic fonts-liberation2
    # the traffic engine (Boost.Math, header-only), the command-line tool
    # (CLI11, nlohmann-json) and the tables window (Qt Charts, whose CMake
    # package needs Qt OpenGL's, and Qt SVG, and Qt's Japanese translations
    # for the file dialogs and questions)
    libboost-dev libcli11-dev nlohmann-json3-dev qt6-charts-dev libqt6opengl6-dev qt6-svg-dev
    qt6-translations-l10n
    # the Python module corvane, over NumPy's C API and pybind11
    python3-dev python3-numpy pybind11-dev
    # call records' local times: the time-zone library over the system's
    # tzdata; shift scheduling: the CBC mixed-integer solver
    libhowardhinnant-date-dev tzdata coinor-libcbc-dev
)
test_packages=(
    # tests and benchmarks (start-up: the X client library of the timer, and
    # a private session bus), built by Ninja
    libgtest-dev libbenchmark-dev clang-format libxcb1-dev dbus-daemon ninja-build
    # desktop integration: validators, the Debian package and its checker
    desktop-file-utils appstream dpkg-dev file lintian
    # the end-to-end test on a virtual display under a window manager, and
    # fuzzing with libFuzzer
    xvfb openbox x11-utils xdotool xclip clang libclang-rt-14-dev
    # the Python module's tests, its pip install (scikit-build driving CMake),
    # and its benchmark beside SciPy
    python3-pytest python3-hypothesis python3-pandas python3-pip python3-setuptools python3-skbuild
    python3-scipy
    # reading call records on many processes with Dask
    python3-dask
)

if [[ ${1:-test} == test ]]; then
    packages+=("${test_packages[@]}")
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]} == 0)); then
    exit 0
fi

as_root=()
if ((EUID != 0)); then
    as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
