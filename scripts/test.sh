#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Kestrune with its tests and its
# benchmarks (so that they cannot stop building unseen) and runs the tests.
#
#   scripts/test.sh [--sanitize] [CTEST-ARGUMENTS...]
#
# Tests that need root (loop volumes, mounts) skip with the reason when run
# by another user; the rest run for everyone.
#
# --sanitize builds the tests in Debug with AddressSanitizer (leak detection
# on) and UndefinedBehaviorSanitizer, in build/sanitize, and runs the same
# suite; any report fails the test that caused it. The benchmarks are left
# out there.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/test
configure=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRUNE_BUILD_BENCH=ON)
if [ "${1:-}" = "--sanitize" ]; then
  shift
  build=build/sanitize
  configure=(-DCMAKE_BUILD_TYPE=Debug -DKESTRUNE_SANITIZE=ON -DKESTRUNE_BUILD_BENCH=OFF)
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:exitcode=23:detect_stack_use_after_return=1"
  export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi

scripts/setup-debian.sh --tests
cmake -S . -B "$build" "${configure[@]}" -DKESTRUNE_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
ctest --output-on-failure -j"$(nproc)" "$@"
