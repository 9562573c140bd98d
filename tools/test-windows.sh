#!/usr/bin/env bash
# The Windows build (tools/build-windows.sh), then its whole test suite
# under Wine through CTest: the tests' Windows programs, the editor's on the
# offscreen platform, and the packages (unpacked, installed silently into a
# Wine prefix of their own, run, uninstalled). The Wine prefix the tests
# run in is build/windows/wine, made on first use.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/build-windows.sh
ctest --preset windows -j"$(nproc)"
