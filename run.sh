#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program. A terminal simulator (tq90-sim) with
# a sample log runs on 127.0.0.1:5001 beside it, so the connection window has a terminal to
# talk to; its console is on 127.0.0.1:5002 (e.g. `nc 127.0.0.1 5002`, then `help`).
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh
./scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo

# the executables' place in the build tree
exe() { if [ -x "build/$1" ]; then echo "build/$1"; else echo "build/$2/$1"; fi; }

sim_pid=
stop_sim() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
}
trap stop_sim EXIT

"$(exe tq90-sim sim)" --port 5001 --control-port 5002 --log resources/sample-log.bin \
    </dev/null >build/tq90-sim.log 2>&1 &
sim_pid=$!
for _ in $(seq 50); do
    if grep -q "listening on" build/tq90-sim.log 2>/dev/null; then
        break
    fi
    if ! kill -0 "$sim_pid" 2>/dev/null; then
        echo "tq90-sim did not start (is port 5001 or 5002 taken?):" >&2
        cat build/tq90-sim.log >&2
        sim_pid=
        break
    fi
    sleep 0.1
done
[ -n "$sim_pid" ] && head -n 1 build/tq90-sim.log

"$(exe tqtool src)" "$@"
