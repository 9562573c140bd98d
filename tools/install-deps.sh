#!/usr/bin/env bash
# Installs the Debian packages scpmaker needs that are not installed yet.
#   tools/install-deps.sh          build and run
#   tools/install-deps.sh --test   also what the tests and benchmarks need
#   tools/install-deps.sh --windows  what the Windows build and its tests need
set -euo pipefail

packages=(cmake ninja-build g++ qt6-base-dev libgl-dev libfontconfig-dev fonts-dejavu-core)
if [[ "${1:-}" == "--windows" ]]; then
    # The mingw-w64 cross compilers (posix threads, as Qt's need) and the
    # host's Qt tools (moc, rcc, uic) build it; NSIS makes the installer;
    # Wine runs the programs and tests, the editor on Xvfb (xwininfo finds
    # its window). dpkg-dev unpacks Debian's Qt source when Qt is built here.
    packages=(cmake ninja-build qt6-base-dev qt6-base-dev-tools g++-mingw-w64-x86-64-posix
              nsis wine wine64 xvfb x11-utils fonts-dejavu-core dpkg-dev)
elif [[ "${1:-}" == "--test" ]]; then
    # The real-window test runs the editor under Xvfb and reads it through
    # AT-SPI (at-spi2-core, dbus, python3-pyatspi) as a screen reader does,
    # its icon with xprop (x11-utils); Google Benchmark builds bench/. The
    # packaging test validates the desktop entry, metainfo and man pages
    # (groff) and builds the .deb, whose dependencies dpkg-shlibdeps
    # (dpkg-dev) works out and which lintian checks; GLib's gio asks which
    # folders' default application the desktop entry would be.
    packages+=(libbenchmark-dev xvfb x11-utils dbus at-spi2-core python3-pyatspi
               desktop-file-utils appstream dpkg-dev groff-base lintian libglib2.0-bin)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "Need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
    sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
