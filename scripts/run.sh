#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Kestrune and starts it. Arguments are
# handed to the program as files or folders to open.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-debian.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DKESTRUNE_BUILD_TESTS=OFF >/dev/null
cmake --build build/release -j"$(nproc)" --target kestrune
exec build/release/src/kestrune "$@"
