#!/usr/bin/env bash
# Fresh Debian 12: installs what is missing, builds everything (warnings as
# errors, benchmarks included) and runs the whole test suite through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh --test
cmake --preset ci >/dev/null
cmake --build --preset ci -j"$(nproc)"
ctest --preset ci -j"$(nproc)"
