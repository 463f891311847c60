#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Kestrune with its tests and runs them all.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-debian.sh --tests
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRUNE_BUILD_TESTS=ON >/dev/null
cmake --build build/test -j"$(nproc)"
cd build/test
ctest --output-on-failure -j"$(nproc)" "$@"
