#!/usr/bin/env bash
# Installs the build under a scratch prefix and makes its Debian package, then
# checks what a desktop and Debian ask of them: the validators and lintian
# clean, the menu entry starting the installed program, the package's name and
# dependencies; with PYTHON, the module corvane in both, importable by it.
# usage: check.sh BUILD_DIR APP_ID VERSION [CONFIG [PYTHON]]
set -euo pipefail
build=$1 app_id=$2 version=$3 config=${4:-} python=${5:-}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2 && exit 1; }
quiet() { "$@" >"$scratch/log" 2>&1 || { cat "$scratch/log" >&2 && fail "$*"; }; }

prefix="$scratch/a prefix" # not on PATH, and with a blank that the entry must quote
quiet "${CMAKE:-cmake}" --install "$build" --prefix "$prefix" ${config:+--config "$config"}
quiet appstreamcli validate-tree --no-net "$prefix"
icons=("$prefix"/share/icons/hicolor/*/apps/"$app_id".*)
((${#icons[@]} == 6)) || fail "${#icons[@]} icons installed, want 6: ${icons[*]}"
for f in man/man1/corvane{,-cli,-tables}.1.gz bash-completion/completions/corvane-cli; do
    [[ -f $prefix/share/$f ]] || fail "share/$f not installed"
done
# Each program: its menu entry valid and starting it, no library path.
for id_program in "$app_id corvane" "org.corvane.CorvaneTables corvane-tables" "- corvane-cli"; do
    read -r id program <<<"$id_program"
    ! readelf -d "$prefix/bin/$program" | grep -E 'RPATH|RUNPATH' || fail "$program has a library path"
    [[ $id == - ]] && continue
    quiet desktop-file-validate "$prefix/share/applications/$id.desktop"
    exec=$(sed -n 's/^Exec=//p' "$prefix/share/applications/$id.desktop")
    [[ $exec == "\"$prefix/bin/$program\"" ]] || fail "Exec=$exec, want the quoted full path"
done
[[ $("$prefix/bin/corvane" --version) == "corvane $version" ]] || fail "corvane --version"
if [[ -n $python ]]; then
    # The interpreter's folder for a prefix of its own: lib/python3.X/site-packages.
    site=$("$python" -c 'import sysconfig; print(sysconfig.get_path("platlib", "posix_prefix", {"platbase": "", "base": ""}))')
    lines=$(cd "$scratch" && PYTHONPATH="$prefix$site" "$python" -c \
        'import corvane; print(corvane.erlang_b_lines(traffic=10, blocking=0.01), corvane.__file__)')
    [[ $lines == "18 $prefix$site/corvane/__init__.py" ]] || fail "corvane from the install: $lines"
fi

quiet "${CPACK:-cpack}" -G DEB -B "$scratch/out" --config "$build/CPackConfig.cmake" ${config:+-C "$config"}
deb=$scratch/out/corvane_${version}_$(dpkg --print-architecture).deb
[[ -f $deb ]] || fail "no $deb among: $(ls "$scratch/out")"
quiet lintian --fail-on error,warning,info --suppress-tags binary-has-unneeded-section "$deb"
depends=" $(dpkg-deb -f "$deb" Depends | sed -e 's/([^)]*)//g' -e 's/[,|]/ /g') "
for need in libqt6widgets6 qt6-qpa-plugins fonts-ipafont-gothic fonts-liberation2; do
    [[ $depends == *" $need "* ]] || fail "Depends lacks $need:$depends"
done
entry=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO "./usr/share/applications/$app_id.desktop")
if [[ -n $python ]]; then
    dpkg-deb -c "$deb" | grep ' \./usr/lib/python3/dist-packages/corvane/_engine\.cpython-.*\.so$' >/dev/null ||
        fail "the package lacks the module in Debian's dist-packages"
fi
grep -qx Exec=corvane <<<"$entry" || fail "the package's entry does not start plain corvane"
echo "install and ${deb##*/} pass the validators and lintian"
