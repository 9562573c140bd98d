#!/usr/bin/env bash
# Fresh Debian 12: cross-builds scpmaker for 64-bit Windows in build/windows
# (warnings as errors, as on Linux) and makes its two packages there,
# scpmaker-VERSION-win64.zip and scpmaker-VERSION-win64-setup.exe.
# Qt for Windows comes from the prefix SCPMAKER_QT_MINGW names (an unpacked
# prebuilt one, say); without it, from a cache folder of the user's, where
# tools/build-qt-mingw.sh builds it from Debian's source the first time
# (about 40 minutes on two cores).
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh --windows
if [[ -z ${SCPMAKER_QT_MINGW:-} ]]; then
    version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
    SCPMAKER_QT_MINGW=${XDG_CACHE_HOME:-$HOME/.cache}/scpmaker/qt6-mingw-$version
    if [[ ! -f $SCPMAKER_QT_MINGW/lib/cmake/Qt6/Qt6Config.cmake ]]; then
        echo "Building Qt for Windows into $SCPMAKER_QT_MINGW (once)"
        tools/build-qt-mingw.sh "$SCPMAKER_QT_MINGW"
    fi
fi
[[ -f $SCPMAKER_QT_MINGW/lib/cmake/Qt6/Qt6Config.cmake ]] ||
    { echo "No Qt for Windows in $SCPMAKER_QT_MINGW" >&2; exit 1; }
export SCPMAKER_QT_MINGW

cmake --preset windows >/dev/null
cmake --build --preset windows -j"$(nproc)"
(cd build/windows && cpack -G "ZIP;NSIS64" >cpack.log) || { cat build/windows/cpack.log; exit 1; }
ls -l build/windows/scpmaker-*-win64*
