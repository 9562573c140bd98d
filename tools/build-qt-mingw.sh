#!/usr/bin/env bash
# Builds Qt for 64-bit Windows (qtbase: Core, Gui, Widgets, Test and the
# plugins the editor uses) from Debian's own qt6-base source package, with
# the mingw-w64 cross compilers, and installs it under PREFIX. Once: about
# 40 minutes on two cores. The host's Qt of the same version provides moc,
# rcc and uic.
#   tools/build-qt-mingw.sh PREFIX
# Needs root or sudo for the packages, and for a deb-src line when the apt
# sources have none (it goes in a file of its own under sources.list.d).
# The work happens in PREFIX.work, removed once Qt is installed; a build
# that stopped resumes there when run again.
set -euo pipefail
prefix=${1:?usage: build-qt-mingw.sh PREFIX}
cd "$(dirname "$0")/.."
root=$PWD
[[ $prefix == /* ]] || prefix=$PWD/$prefix

sudo=()
if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "Need root (or sudo) for apt" >&2; exit 1; }
    sudo=(sudo)
fi
tools/install-deps.sh --windows

# `apt-get source` needs source indexes: the binary archives' lines again,
# as deb-src, for the Debian archives only.
if ! apt-get indextargets --format '$(CREATED_BY)' 2>/dev/null | grep -qx Sources; then
    list=/etc/apt/sources.list.d/scpmaker-deb-src
    {
        for f in /etc/apt/sources.list.d/*.sources; do
            [[ -e $f ]] || continue
            awk 'BEGIN{RS=""; ORS="\n\n"} /Types:[^\n]*deb/ && /debian/ {sub(/Types:[^\n]*/, "Types: deb-src"); print}' "$f"
        done
    } >"$list.tmp"
    if [[ -s $list.tmp ]]; then
        "${sudo[@]}" cp "$list.tmp" "$list.sources"
    else
        grep -hE '^deb\s' /etc/apt/sources.list 2>/dev/null | grep debian | sed 's/^deb\s/deb-src /' >"$list.tmp"
        "${sudo[@]}" cp "$list.tmp" "$list.list"
    fi
    rm -f "$list.tmp"
    echo "Added deb-src lines: $(ls "$list".*)"
    "${sudo[@]}" apt-get update -q
fi

# Debian's source of the same version as the host tools that will run moc
# and rcc for it, made buildable for Windows, configured in build/.
fetch_and_configure() {
    local version src wintab header found
    version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
    echo "Fetching qt6-base $version source"
    apt-get source -q "qt6-base=$version" >source.log 2>&1 || { cat source.log; exit 1; }
    src=$(find . -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)
    [[ -n $src ]] || { echo "qt6-base source not unpacked" >&2; exit 1; }

    # Debian's tarball leaves out the tablet headers the Windows platform
    # plugin includes; Wine's (LGPL) stand in, with the macros they expect
    # from Wine's own headers (Unicode names, as Qt builds).
    apt-get download -q libwine-dev >download.log 2>&1 || { cat download.log; exit 1; }
    dpkg-deb -x libwine-dev_*.deb wine-dev
    wintab=$src/src/3rdparty/wintab
    mkdir -p "$wintab"
    for header in wintab.h pktdef.h; do
        found=$(find wine-dev -name "$header" | head -n1)
        [[ -n $found ]] || { echo "$header not in libwine-dev" >&2; exit 1; }
        {
            echo '#ifndef DECL_WINELIB_TYPE_AW'
            echo '#define DECL_WINELIB_TYPE_AW(type) typedef type##W type;'
            echo '#endif'
            echo '#ifndef WINELIB_NAME_AW'
            echo '#define WINELIB_NAME_AW(name) name##W'
            echo '#endif'
            echo '#ifndef API'
            echo '#define API WINAPI'
            echo '#endif'
            cat "$found"
        } >"$wintab/$header"
    done
    # Without Direct2D the plugin still reaches for the DirectWrite font
    # database under directwrite3 alone, and fails to link: it needs both.
    local integration=$src/src/plugins/platforms/windows/qwindowsintegration.cpp
    sed -i 's/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' \
        "$integration"
    [[ $(grep -c 'QT_CONFIG(directwrite3) && QT_CONFIG(direct2d)' "$integration") == 2 ]] ||
        { echo "$integration: the DirectWrite lines were not found" >&2; exit 1; }

    mkdir build
    cd build
    "../$src/configure" -prefix "$prefix" -release -shared -qt-host-path /usr \
        -nomake examples -nomake tests -no-opengl -no-dbus -no-openssl -no-zstd \
        -qt-zlib -qt-libpng -qt-libjpeg -qt-pcre -qt-freetype -qt-harfbuzz -qt-doubleconversion \
        -no-feature-sql -no-feature-network -no-feature-printsupport -no-feature-concurrent \
        -no-feature-xml -no-feature-vulkan -no-feature-direct2d -no-feature-androiddeployqt \
        -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >configure.log 2>&1 ||
        { tail -n 60 configure.log; exit 1; }
}

work=$prefix.work
if [[ -f $work/build/build.ninja ]]; then
    echo "Resuming the build in $work"
    cd "$work/build"
else
    rm -rf "$work"
    mkdir -p "$work"
    cd "$work"
    fetch_and_configure
fi
cmake --build . --parallel "${SCP_JOBS:-2}"
rm -rf "$prefix"
cmake --install . >install.log
cd /
rm -rf "$work"
echo "Qt for Windows installed in $prefix"
