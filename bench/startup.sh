#!/usr/bin/env bash
# Start-up time: from the process's start to its first painted main window,
# with a file to open, quitting right after that paint; beside a bare Qt 6
# window measured the same way in the same run, runs interleaved: empty, and
# with one label (an empty window never loads a font, which any window with
# text must).
#
#   bench/startup.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR is a build configured with -DKESTRUNE_BUILD_BENCH=ON (default
# build/bench, configured and built here when missing). The program measured
# is bench/kestrune_startup_probe: the program's own main and code plus a hook
# that quits after the first paint when KESTRUNE_QUIT_AFTER_FIRST_PAINT=1.
# KESTRUNE_BIN=path/to/kestrune measures another binary that honours the
# variable itself.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
source_dir="$(dirname "$here")"
build_dir="${1:-$source_dir/build/bench}"
runs="${2:-30}"

if [[ ! -x "$build_dir/bench/kestrune_startup_probe" || ! -x "$build_dir/bench/bare_window" ]]; then
    cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DKESTRUNE_BUILD_BENCH=ON >/dev/null
    cmake --build "$build_dir" -j"$(nproc)" --target kestrune_startup_probe bare_window >/dev/null
fi
program="${KESTRUNE_BIN:-$build_dir/bench/kestrune_startup_probe}"
bare="$build_dir/bench/bare_window"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/config" "$scratch/runtime"
chmod 700 "$scratch/runtime"
printf 'a file to open\n' >"$scratch/item.txt"

export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export KESTRUNE_QUIT_AFTER_FIRST_PAINT=1
# The window's frame goes to a scratch configuration, not the user's.
export XDG_CONFIG_HOME="$scratch/config"
export XDG_RUNTIME_DIR="$scratch/runtime"

# One run: "whole-process first-paint" in microseconds, the second figure
# from the start to the end of the first paint. A run that does not quit
# within 10 s fails the measurement; one that quits with a failure status is
# timed all the same and counted in failures.txt, so the figures never hide it.
measure() {
    local start end painted status=0
    rm -f "$scratch/painted"
    start=$(date +%s%N)
    KESTRUNE_FIRST_PAINT_FILE="$scratch/painted" timeout 10 "$@" >/dev/null 2>&1 || status=$?
    end=$(date +%s%N)
    if ((status == 124)); then
        echo "did not quit after its first paint: $*" >&2
        exit 1
    fi
    if ((status != 0)); then
        echo "$(basename "$1") $status" >>"$scratch/failures.txt"
    fi
    painted=$(cat "$scratch/painted" 2>/dev/null || echo "$end")
    echo "$(((end - start) / 1000)) $(((painted - start) / 1000))"
}

# Warm the caches (libraries, fonts) for all three.
: >"$scratch/failures.txt"
measure "$program" "$scratch/item.txt" >/dev/null
measure "$bare" >/dev/null
measure "$bare" --text >/dev/null

: >"$scratch/program.txt"
: >"$scratch/bare.txt"
: >"$scratch/bare-text.txt"
for ((i = 0; i < runs; i++)); do
    measure "$program" "$scratch/item.txt" >>"$scratch/program.txt"
    measure "$bare" >>"$scratch/bare.txt"
    measure "$bare" --text >>"$scratch/bare-text.txt"
done

python3 - "$scratch/program.txt" "$scratch/bare.txt" "$scratch/bare-text.txt" <<'PY'
import statistics, sys
def load(path, column):
    return [int(line.split()[column]) / 1000.0 for line in open(path)]
for column, title in ((0, "whole process, start to exit after the first paint"),
                      (1, "start to the end of the first paint")):
    program, bare, text = (load(path, column) for path in sys.argv[1:4])
    print(title + ":")
    for name, values in (("kestrune", program), ("bare Qt window", bare), ("bare, one label", text)):
        print(f"  {name:16s} median {statistics.median(values):7.1f} ms  mean {statistics.mean(values):7.1f} ms"
              f"  min {min(values):7.1f} ms  ({len(values)} runs)")
    for name, values in (("bare Qt window", bare), ("bare, one label", text)):
        ratio = statistics.median(program) / statistics.median(values)
        print(f"  ratio to {name:16s} {ratio:.3f}  (target <= 1.15)")
PY
if [[ -s "$scratch/failures.txt" ]]; then
    echo "runs that ended with a failure status (program exit status):"
    sort "$scratch/failures.txt" | uniq -c
fi
