#!/usr/bin/env bash
# Builds Pelimond and starts it from its program folder (build/Pelimond/).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --run
cmake -S . -B build -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "No display found. Run the program under a virtual display instead:" >&2
    echo "    xvfb-run -a scripts/run.sh" >&2
    exit 1
fi
exec build/Pelimond/pelimond
