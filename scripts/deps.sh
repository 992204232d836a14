#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, only those missing.
# Usage: scripts/deps.sh [extra-package ...]
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev  # tests and benchmarks
    libzxing-dev libzbar-dev                    # the two readers of the read-back check
    libspng-dev                                 # PNG files (common/)
    libjpeg-dev libwebp-dev libgif-dev          # pictures read by qrdesk-cli --read
    qrencode zint python3-segno                 # tests: other generators' pictures to read
    libopencv-contrib-dev                       # WeChat's reader (OpenCV's wechat_qrcode)
    libturbojpeg0-dev                           # JPEG logos (common/)
    librsvg2-dev                                # SVG logos of the command line (svglogo/)
    librsvg2-bin                                # SVG drawn back in the tests (rsvg-convert)
    zbar-tools                                  # tests: zbarimg reads the written files
    clang libclang-rt-14-dev                    # fuzzing (libFuzzer)
    libqrencode-dev libqrcodegencpp-dev         # peer encoders for the benchmark
    qt6-base-dev libgl-dev                      # the window (with Print Support)
    qt6-svg-dev                                 # the window's SVG logos
    qt6-webengine-dev                           # the web panel's --web-host (optional at build time)
    qt6-translations-l10n                       # Qt's own dialogs and buttons in Chinese
    qt6-l10n-tools qt6-tools-dev                # the window's English: lupdate, lrelease
    fonts-droid-fallback                        # Chinese glyphs for the window's captions
    help2man dpkg-dev                           # manual pages and the Debian package
    lintian appstream                           # the package's checks (scripts/package.sh)
    locales                                     # tests: messages in a Chinese locale (localedef)
    poppler-utils xvfb                          # tests: printed PDF drawn, a real display
    openbox x11-utils xdotool x11-apps xclip    # tests: a window manager on it (xprop), the screen read
    imagemagick                                 # tests: pictures in every format and variant
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi
