#!/usr/bin/env bash
# The program as a user runs it: started with a file on a real X server
# (Xvfb), its window given the keyboard, quit with Ctrl+Q. It must end with
# status 0 and, built with the sanitizers, without a report.
#
#   quit-with-ctrl-q.sh PROGRAM
set -euo pipefail
program="$1"

scratch="$(mktemp -d)"
cleanup() {
    set +e
    if [[ -n "${pid:-}" ]]; then
        kill -9 "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    fi
    [[ -f "$scratch/stderr" ]] && cat "$scratch/stderr" >&2
    if [[ -n "${xvfb:-}" ]]; then
        kill "$xvfb" 2>/dev/null
        wait "$xvfb" 2>/dev/null
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT

# A display of its own, so that tests running side by side never share one.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [[ -s "$scratch/display" ]] && break; sleep 0.1; done
export DISPLAY=":$(cat "$scratch/display")"
export QT_QPA_PLATFORM=xcb
export XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
echo "an item to open" >"$scratch/item.txt"

"$program" "$scratch/item.txt" 2>"$scratch/stderr" &
pid=$!
window=
for _ in $(seq 600); do
    window="$(xdotool search --onlyvisible --class kestrune 2>/dev/null | head -n1 || true)"
    [[ -n "$window" ]] && break
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "the program ended before it showed its window" >&2
        exit 1
    fi
    sleep 0.1
done
if [[ -z "$window" ]]; then
    echo "the program showed no window within a minute" >&2
    exit 1
fi
xdotool windowfocus --sync "$window"
xdotool key --clearmodifiers ctrl+q

status=0
for _ in $(seq 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
    echo "the program did not quit on Ctrl+Q" >&2
    exit 1
fi
wait "$pid" || status=$?
pid=
if grep -qE "Sanitizer|runtime error:" "$scratch/stderr"; then
    echo "the program's run ended with a sanitizer report" >&2
    exit 1
fi
if ((status != 0)); then
    echo "the program ended with status $status" >&2
    exit 1
fi
