#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# Builds the Debian package from the already built tree into a scratch folder
# and checks its file name, its control fields and its contents.
# usage: check-deb.sh BUILD_DIR VERSION APP_ID [CONFIG]
set -euo pipefail
here=$(dirname "$0")
source "$here/common.sh"

build=$1 version=$2 app_id=$3 config=${4:-}
cpack=${CPACK:-cpack}
make_scratch
out=$scratch/out

# -B keeps cpack's staging folder (_CPack_Packages) out of the build tree, so
# runs in parallel do not share one.
cpack_cmd=("$cpack" -G DEB -B "$out" --config "$build/CPackConfig.cmake")
[[ -n $config ]] && cpack_cmd+=(-C "$config")
run_logged "cpack" "${cpack_cmd[@]}"

arch=$(dpkg --print-architecture)
want=corvane_${version}_${arch}.deb
shopt -s nullglob
debs=("$out"/*.deb)
((${#debs[@]} == 1)) || fail "cpack made ${#debs[@]} .deb files, want exactly $want"
deb=${debs[0]}
[[ ${deb##*/} == "$want" ]] || fail "package file is ${deb##*/}, want $want"

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == corvane ]] || fail "Package: $(field Package), want corvane"
[[ $(field Version) == "$version" ]] || fail "Version: $(field Version), want $version"
[[ $(field Architecture) == "$arch" ]] || fail "Architecture: $(field Architecture), want $arch"

# Depends as bare package names, one a line: versions and alternatives dropped.
depends=$(field Depends)
names=$(sed -e 's/([^)]*)//g' -e 's/[[:space:]]//g' -e 's/[,|]/\n/g' <<<"$depends")
for need in libqt6widgets6 fonts-ipafont-gothic fonts-liberation2; do
    grep -qxF "$need" <<<"$names" || fail "Depends lacks $need: $depends"
done

# Every file lives under /usr, nothing is missing, the program is executable.
listing=$(dpkg-deb -c "$deb")
files=$(awk '$1 !~ /^d/ {print $NF}' <<<"$listing")
stray=$(grep -v '^\./usr/' <<<"$files" || true)
[[ -z $stray ]] || fail "files outside /usr: $stray"
missing=()
while read -r f; do
    grep -qxF "./usr/$f" <<<"$files" || missing+=("/usr/$f")
done < <(expected_files "$app_id")
((${#missing[@]} == 0)) || fail "not in the package: ${missing[*]}"
grep -qE '^-rwxr-xr-x .* \./usr/bin/corvane$' <<<"$listing" ||
    fail "/usr/bin/corvane is not a mode 755 file in the package"

echo "$want: control fields, Depends and contents as expected"
echo "Depends: $depends"
