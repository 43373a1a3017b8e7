#!/usr/bin/env bash
# Builds Pelimond, starts the simulated Talvex site on loopback, and runs the program from a demo
# program folder (build/demo/) whose settings point the program's proxy at the simulated site.
# The site stops when the program exits.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --run
cmake -S . -B build -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target pelimond pelimond-cli talvex-sim pelimond_program_data \
    pelimond_webimage pelimond_help

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "No display found. Run the demo under a virtual display instead:" >&2
    echo "    xvfb-run -a scripts/run.sh" >&2
    exit 1
fi

demo=build/demo
mkdir -p "$demo"
# The program and its delivered files; a catalogue or settings kept from an earlier demo stay.
cp -f build/Pelimond/pelimond build/Pelimond/pelimond-cli "$demo/"
for f in CATEGORY.INI Pelimond.mdb; do
    [[ -e "$demo/$f" ]] || cp build/Pelimond/$f "$demo/"
done
mkdir -p "$demo/WEBIMAGE" && cp -f build/Pelimond/WEBIMAGE/*.gif "$demo/WEBIMAGE/"
rm -rf "$demo/help" && cp -R build/Pelimond/help "$demo/help"

sitelog=$(mktemp)
build/bin/talvex-sim --port 0 --seed 1 --scale "${PELIMOND_DEMO_SCALE:-4}" >"$sitelog" &
site=$!
trap 'kill "$site" 2>/dev/null || true; wait "$site" 2>/dev/null || true; rm -f "$sitelog"' EXIT
for _ in $(seq 100); do
    grep -q '^http://127.0.0.1:' "$sitelog" && break
    sleep 0.1
done
port=$(sed -n 's|^http://127.0.0.1:\([0-9]*\)/.*|\1|p' "$sitelog" | head -n1)
[[ -n "$port" ]] || { echo "The simulated site did not start." >&2; exit 1; }
echo "Simulated Talvex site on 127.0.0.1:$port" >&2

cli="$demo/pelimond-cli"
if [[ ! -e "$demo/Pelimond.INI" ]]; then
    # A complete first-run settings file, then the demo's choices: online mode, no first-start
    # window, and the default download folder inside the demo folder.
    "$cli" set PLMDM FirstBoot 0 2>/dev/null
    "$cli" set CACHE Update 3
fi
# The site's port changes from run to run; everything else the user set is kept.
"$cli" set URL Proxy 2
"$cli" set URL ProxyName 127.0.0.1
"$cli" set URL ProxyPort "$port"

# The pages the program opens in a browser live on the site's hosts (www, member, shop and dl
# .talvex.example), which no browser can reach. The demo's browser is a small script that sends
# them to the simulated site, which routes a request for its own address by path; any other
# address (a help page, a folder) goes to the system's browser unchanged.
opener="$PWD/$demo/open-link.sh"
cat >"$opener" <<SCRIPT
#!/bin/sh
# Written by scripts/run.sh for the simulated site on 127.0.0.1:$port; rewritten on every run.
url=\$(printf '%s' "\$1" |
    sed -E 's#^https?://([A-Za-z0-9-]+[.])*talvex[.]example(:[0-9]+)?(/|\$)#http://127.0.0.1:$port/#')
browser=\${BROWSER%%:*}
exec "\${browser:-xdg-open}" "\$url"
SCRIPT
chmod +x "$opener"
"$cli" set URL UseOtherBrowser 1
"$cli" set URL BrowserPath "$opener"
"$demo/pelimond"
