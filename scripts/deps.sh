#!/usr/bin/env bash
# Installs the Debian packages Pelimond needs. Idempotent and quiet: apt runs only when
# something is missing, and `apt-get update` at most once.
#   scripts/deps.sh          build and test packages (the exported pages' check drives a headless
#                            Chromium through WebDriver)
#   scripts/deps.sh --run    also what the demo run needs (virtual display, Japanese fonts)
#   scripts/deps.sh --fuzz   also what the fuzz targets need (clang with libFuzzer and the
#                            sanitizer runtimes, llvm-symbolizer for their reports)
#   scripts/deps.sh --package   also what building and checking the Debian package needs
#                            (scripts/package.sh, scripts/check-package.sh)
set -euo pipefail

packages=(cmake make g++ pkg-config qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libsqlite3-dev qt6-svg-dev
          qt6-qpa-plugins qt6-translations-l10n wget
          chromium chromium-driver python3-selenium)
if [[ "${1:-}" == "--run" ]]; then
    packages+=(xvfb xauth fonts-noto-cjk)
elif [[ "${1:-}" == "--package" ]]; then
    # dpkg-shlibdeps (dpkg-dev) computes the package's library dependencies; lintian,
    # desktop-file-validate and appstreamcli check what the package holds.
    packages+=(dpkg-dev fakeroot file lintian desktop-file-utils appstream)
elif [[ "${1:-}" == "--fuzz" ]]; then
    packages+=(clang libclang-rt-dev llvm)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq >/dev/null
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
