#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# Installs the build into a scratch prefix and checks what a desktop needs from
# it: every file in place, both validators clean, entries that point at each
# other, and icons of the size and pixel format their folder promises.
# usage: check-install.sh BUILD_DIR APP_ID [CONFIG]
set -euo pipefail
here=$(dirname "$0")
source "$here/common.sh"

build=$1 app_id=$2 config=${3:-}
cmake=${CMAKE:-cmake}
make_scratch
prefix=$scratch/prefix

install_cmd=("$cmake" --install "$build" --prefix "$prefix")
[[ -n $config ]] && install_cmd+=(--config "$config")
run_logged "install" "${install_cmd[@]}"

missing=()
while read -r f; do
    [[ -f $prefix/$f ]] || missing+=("$f")
done < <(expected_files "$app_id")
((${#missing[@]} == 0)) || fail "not installed under the prefix: ${missing[*]}"
[[ -x $prefix/bin/corvane ]] || fail "bin/corvane is not executable"

desktop=$prefix/share/applications/$app_id.desktop
metainfo=$prefix/share/metainfo/$app_id.metainfo.xml
run_logged "desktop-file-validate" desktop-file-validate "$desktop"
run_logged "appstreamcli validate" appstreamcli validate --no-net "$metainfo"
# The tree check also sees that the metainfo's launchable and the icons exist.
run_logged "appstreamcli validate-tree" appstreamcli validate-tree --no-net "$prefix"

# The menu entry must start the installed program and find the installed icon.
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[[ -x $prefix/bin/${exec_line%% *} ]] ||
    fail "Exec=$exec_line in $app_id.desktop names no installed program"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[[ $icon == "$app_id" ]] || fail "Icon=$icon in $app_id.desktop; the icons are installed as $app_id"

for size in 32 48 64 128 256; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png
    kind=$(file -b "$png")
    [[ $kind == "PNG image data, $size x $size, 8-bit/color RGB,"* ]] ||
        fail "${png#"$prefix"/}: $kind; want a $size x $size 8-bit RGB PNG"
done
svg=$prefix/share/icons/hicolor/scalable/apps/$app_id.svg
[[ $(file -b "$svg") == SVG* ]] || fail "${svg#"$prefix"/} is not an SVG image"

echo "installed tree complete and valid under $prefix"
