#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program. Arguments are passed to tqtool,
# e.g. ./run.sh --data-dir ~/tq-data
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

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display (DISPLAY is not set): starting tqtool on a virtual X display with xvfb-run." >&2
    echo "Nothing will be visible there; set DISPLAY (or log in with ssh -X) to see the window." >&2
    echo "Press Ctrl+C to end it." >&2
    xvfb-run -a -s "-screen 0 1280x900x24" build/tqtool "$@"
else
    build/tqtool "$@"
fi
