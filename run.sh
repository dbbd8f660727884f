#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program. Arguments are passed to tqtool,
# e.g. ./run.sh --data-dir ~/tq-data
# A terminal simulator (tq90-sim) with a sample log runs on 127.0.0.1:5001 beside it, so the
# connection window has a terminal to talk to; its console is on 127.0.0.1:5002 (e.g.
# `nc 127.0.0.1 5002`, then `help`).
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh
./scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo

# Background helpers (simulators) started below are stopped when the program ends.
helpers=()
stop_helpers() {
    for pid in "${helpers[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
}
trap stop_helpers EXIT

# Simulators: start each in the background here and add its process id to helpers.
tq90_sim=build/tq90-sim
[ -x "$tq90_sim" ] || tq90_sim=build/sim/tq90-sim
"$tq90_sim" --port 5001 --control-port 5002 --log resources/sample-log.bin \
    </dev/null >build/tq90-sim.log 2>&1 &
helpers+=($!)
for _ in $(seq 50); do
    if grep -q "listening on" build/tq90-sim.log 2>/dev/null; then
        head -n 1 build/tq90-sim.log
        break
    fi
    if ! kill -0 "${helpers[-1]}" 2>/dev/null; then
        echo "tq90-sim did not start (is port 5001 or 5002 taken?):" >&2
        cat build/tq90-sim.log >&2
        break
    fi
    sleep 0.1
done

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display (DISPLAY is not set): starting tqtool on a virtual X display with xvfb-run." >&2
    echo "Nothing will be visible there; set DISPLAY (or log in with ssh -X) to see the window." >&2
    echo "Press Ctrl+C to end it." >&2
    xvfb-run -a -s "-screen 0 1280x900x24" build/tqtool "$@"
else
    build/tqtool "$@"
fi
