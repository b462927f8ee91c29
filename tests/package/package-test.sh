#!/usr/bin/env bash
# The Debian package of a build: CPack builds it into a scratch folder, dpkg unpacks it into a
# scratch root, and the programs run from there. Arguments: the build folder, the version the
# package must carry.
set -euo pipefail
build=$1
version=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() {
    echo "package test: $*" >&2
    exit 1
}

if ! cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    fail "cpack failed"
fi
debs=("$scratch"/out/kvt_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one kvt_*.deb, found: ${debs[*]}"
deb=${debs[0]}

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = kvt ] || fail "package name '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "version '$(field Version)', not $version"
case "$(field Maintainer)" in
"KVT service tool team <"*">") ;;
*) fail "maintainer '$(field Maintainer)'" ;;
esac
[[ "$(field Description)" == *"parameter set over RS-232"* ]] ||
    fail "the description is cut or a CMake list: $(field Description)"
depends=$(field Depends)
for lib in libc6 libstdc++6; do
    [[ "$depends" == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done
if [ -e "$build/kvt" ]; then
    [[ "$depends" == *libqt6widgets6* ]] || fail "Depends lacks the Qt widgets: $depends"
fi

root="$scratch/root"
dpkg -x "$deb" "$root"
expected=(
    usr/bin/kvtcli usr/bin/kvt-devsim
    usr/share/kvt/KVT.HLP usr/lib/kvt/Lang_dll.DLL
    usr/share/man/man1/kvtcli.1.gz usr/share/man/man1/kvt-devsim.1.gz
)
if [ -e "$build/kvt" ]; then
    expected+=(usr/bin/kvt usr/share/applications/kvt.desktop
        usr/share/icons/hicolor/scalable/apps/kvt.svg
        usr/bin/kvt-report usr/share/man/man1/kvt-report.1.gz)
fi
for path in "${expected[@]}"; do
    [ -f "$root/$path" ] || fail "$path is not in the package"
done
cmp -s "$root/usr/share/kvt/KVT.HLP" "$(dirname "$0")/../../res/KVT.HLP" ||
    fail "the packaged help text differs from res/KVT.HLP"

# The programs run from the unpacked root, in a folder that holds nothing of theirs.
cd "$scratch"
help=$("$root/usr/bin/kvtcli" --help) || fail "kvtcli --help failed"
[[ "$help" == "Usage: kvtcli "* ]] || fail "kvtcli --help printed: ${help:0:200}"
"$root/usr/bin/kvt-devsim" --help >/dev/null || fail "kvt-devsim --help failed"
page=$(gzip -dc "$root/usr/share/man/man1/kvtcli.1.gz")
for part in '.TH KVTCLI 1' '.SH NAME' 'kvtcli \- ' '.SH SYNOPSIS' '.SH DESCRIPTION' 'info'; do
    [[ "$page" == *"$part"* ]] || fail "the manual page of kvtcli lacks '$part'"
done
echo "package test: $(basename "$deb") holds ${#expected[@]} checked files; kvtcli runs from it"
