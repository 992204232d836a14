#!/usr/bin/env bash
# Builds the Debian package and checks it as Debian would: lintian with no error and no
# warning, the AppStream metadata through appstreamcli, the files it holds, its changelog and
# metadata at the package's version, and both programs run from the unpacked package.
# With --install it also installs the package with apt, runs it from there, purges it and
# checks that nothing is left behind (this changes the machine: CI does it, on request only).
# Usage: scripts/package.sh [--install] [BUILD_DIR]
#   BUILD_DIR: an existing build (CI passes its normal one); default build/package, configured
#   as a Release with Debian's hardening flags. The package is left there: qrdesk_*.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD

install=false
if [ "${1:-}" = --install ]; then
    install=true
    shift
fi
build=${1:-build/package}

scripts/deps.sh >&2
start=$SECONDS
if [ ! -f "$build/CMakeCache.txt" ]; then
    # The flags Debian builds its packages with (fortified functions, stack protector, full
    # relocation read-only).
    export DEB_BUILD_MAINT_OPTIONS=hardening=+all
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQRDESK_BUILD_TESTS=OFF \
        -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
        -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
        -DCMAKE_MODULE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target qrdesk qrdesk-cli qrdesk-readback qrdesk-svglogo qrdesk-wechat manpages \
    package_docs >/dev/null
rm -f "$build"/qrdesk_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/qrdesk_*.deb)
built=$((SECONDS - start))

failures=0
fail() {
    echo "package: $*" >&2
    failures=$((failures + 1))
}

start=$SECONDS
# lintian refuses to be quiet about running as root; that line is no finding.
if ! lintian --fail-on error,warning "$deb" 2> >(grep -v 'running with root privileges' >&2); then
    fail "lintian reports errors or warnings (above)"
fi
linted=$((SECONDS - start))

version=$(dpkg-deb -f "$deb" Version)
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"

# What the package must hold, and nothing else.
expected="/usr/bin/qrdesk
/usr/bin/qrdesk-cli
/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/qrdesk/qrdesk-readback.so
/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/qrdesk/qrdesk-svglogo.so
/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/qrdesk/qrdesk-wechat.so
/usr/share/applications/qrdesk.desktop
/usr/share/doc/qrdesk/changelog.gz
/usr/share/doc/qrdesk/copyright
/usr/share/icons/hicolor/256x256/apps/qrdesk.png
/usr/share/icons/hicolor/48x48/apps/qrdesk.png
/usr/share/icons/hicolor/scalable/apps/qrdesk.svg
/usr/share/man/man1/qrdesk-cli.1.gz
/usr/share/man/man1/qrdesk.1.gz
/usr/share/metainfo/invalid.qrdesk.qrdesk.metainfo.xml"
held=$(cd "$unpacked" && find . ! -type d | sed 's/^\.//' | LC_ALL=C sort)
if [ "$held" != "$expected" ]; then
    fail "the files differ from the expected ones:"
    diff <(echo "$expected") <(echo "$held") >&2 || true
fi

metainfo=$unpacked/usr/share/metainfo/invalid.qrdesk.qrdesk.metainfo.xml
if [ -f "$metainfo" ]; then
    # No network here: the screenshots' and home page's addresses are not fetched.
    appstreamcli validate --no-net "$metainfo" >&2 || fail "appstreamcli rejects the metainfo"
    release=$(grep -o '<release version="[^"]*"' "$metainfo" | head -1 | cut -d'"' -f2)
    [ "$release" = "$version" ] || fail "metainfo's latest release is $release, not $version"
    desktop=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
    [ -f "$unpacked/usr/share/applications/$desktop" ] || fail "no desktop file $desktop"
    for shot in $(grep -o '/docs/[^<]*\.png' "$metainfo"); do
        [ -f "$source$shot" ] || fail "screenshot ${shot#/} is not in the repository"
    done
fi
if [ -f "$unpacked/usr/share/doc/qrdesk/changelog.gz" ]; then
    zcat "$unpacked/usr/share/doc/qrdesk/changelog.gz" >"$unpacked/changelog"
    logged=$(dpkg-parsechangelog -l "$unpacked/changelog" -S Version)
    [ "$logged" = "$version" ] || fail "changelog's latest entry is $logged, not $version"
fi

# Both programs from the unpacked tree: qrdesk-cli finds its readers beside it as installed.
cli_out=$("$unpacked/usr/bin/qrdesk-cli" --info -o "$unpacked/x.png" "package check" 2>&1) ||
    fail "qrdesk-cli --info from the package failed: $cli_out"
grep -q zbar <<<"$cli_out" || fail "qrdesk-cli --info names no reader: $cli_out"
grep -q wechat <<<"$cli_out" || fail "qrdesk-cli --info has no WeChat reader: $cli_out"
# An SVG logo: the drawing module is found where it was installed.
echo '<svg xmlns="http://www.w3.org/2000/svg" width="8" height="8"><rect width="8" height="8"/></svg>' \
    >"$unpacked/logo.svg"
svg_out=$("$unpacked/usr/bin/qrdesk-cli" --logo "$unpacked/logo.svg" -o "$unpacked/l.png" \
    "package check" 2>&1) || fail "qrdesk-cli --logo with an SVG logo failed: $svg_out"
[ "$("$unpacked/usr/bin/qrdesk" --version)" = "qrdesk $version" ] ||
    fail "qrdesk --version does not say qrdesk $version"

if $install; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get install -y -qq "$(realpath "$deb")" >/dev/null
    listed=$(dpkg -L qrdesk)
    [ "$(command -v qrdesk-cli)" = /usr/bin/qrdesk-cli ] || fail "qrdesk-cli is not on the PATH"
    qrdesk-cli --info -o /dev/null "installed" >/dev/null 2>&1 ||
        fail "the installed qrdesk-cli --info failed"
    apt-get purge -y -qq qrdesk >/dev/null
    if dpkg -s qrdesk >/dev/null 2>&1; then fail "qrdesk is still known to dpkg after purge"; fi
    while read -r path; do
        [ -d "$path" ] && continue
        if [ -e "$path" ]; then fail "left behind after purge: $path"; fi
    done <<<"$listed"
    if [ -e "/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/qrdesk" ]; then
        fail "the module folder is left behind after purge"
    fi
fi

echo "package: $deb, built in ${built} s, lintian ${linted} s, $failures failed checks"
[ "$failures" -eq 0 ]
