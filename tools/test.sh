#!/usr/bin/env bash
# Fresh Debian 12: installs what is missing, builds everything (warnings as
# errors, benchmarks included) and runs the whole test suite through CTest;
# then builds the programs and tests again with AddressSanitizer and
# UndefinedBehaviorSanitizer (the sanitize preset, in build/sanitize) and runs
# the suite there too, where any report of theirs, a leak included, fails
# the test that ran into it.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh --test
cmake --preset ci >/dev/null
cmake --build --preset ci -j"$(nproc)"
ctest --preset ci -j"$(nproc)"

cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j"$(nproc)"
ctest --preset sanitize -j"$(nproc)"
