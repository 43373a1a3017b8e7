#!/usr/bin/env bash
# The release check of the Debian package, the way a new user meets it:
#   1. builds the package (scripts/package.sh) and checks what it holds;
#   2. validates it: lintian (no errors), desktop-file-validate, appstreamcli validate;
#   3. installs it on this machine with apt-get, and runs pelimond --version and
#      pelimond-cli --version from the PATH;
#   4. as a fresh user whose home is empty, points pelimond-cli at the simulated Talvex site and
#      runs an update: the user's program folder appears and fills; the program itself starts
#      there too; nothing is written into the installed folder;
#   5. removes the package again and checks that none of its files is left.
#   scripts/check-package.sh [BUILD_DIR]      (default: build)
# Run by the ctest labelled "package". Needs root (or sudo): it installs and removes the package
# on this machine. It refuses to run while another pelimond package is installed; one that an
# interrupted run of this check left behind is removed first. Whatever happens, the check
# removes what it installed and started.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath -m "${1:-build}")
started=$SECONDS
sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"

step() { printf '\n== %s\n' "$*"; }
fail() {
    printf 'check-package: %s\n' "$*" >&2
    exit 1
}

work=$(mktemp -d /tmp/pelimond-check.XXXXXX)
chmod 755 "$work"
# Marks a package installed by this check, with the check's process id, so that a run killed
# before its clean-up is mended by the next run, while a package someone installed on purpose, or
# one that another running check is using, is never removed.
ours=/var/tmp/pelimond-check.installed
installed_here=false
site=""
gui=""
cleanup() {
    local status=$?
    trap - EXIT
    for pid in $gui $site; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    if $installed_here; then
        $sudo apt-get -o DPkg::Lock::Timeout=300 purge -y -qq pelimond >/dev/null 2>&1 || $sudo dpkg --purge pelimond >/dev/null 2>&1 || true
        $sudo rm -f "$ours"
    fi
    $sudo rm -rf "$work"
    if [[ $status -eq 0 ]]; then
        printf '\ncheck-package: passed in %d s\n' $((SECONDS - started))
    else
        printf '\ncheck-package: FAILED (status %d) after %d s\n' "$status" $((SECONDS - started)) >&2
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

step "Building the package"
scripts/package.sh "$build" >/dev/null
debs=("$build"/pelimond_*.deb)
[[ ${#debs[@]} -eq 1 && -f "${debs[0]}" ]] || fail "expected one package in $build, found: ${debs[*]}"
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
echo "$deb"
dpkg-deb -f "$deb" Package Version Architecture Depends Recommends

step "What the package holds"
dpkg-deb -c "$deb" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' | sed 's|^\./|/|' >"$work/contents"
expect() {
    grep -qxF -- "$1" "$work/contents" || fail "the package lacks $1"
}
for f in /opt/pelimond/pelimond /opt/pelimond/pelimond-cli /opt/pelimond/CATEGORY.INI \
    /opt/pelimond/Pelimond.mdb /opt/pelimond/Pelimond.installed /opt/pelimond/WEBIMAGE/news.gif \
    /opt/pelimond/help/index.html \
    "/usr/bin/pelimond -> /opt/pelimond/pelimond" "/usr/bin/pelimond-cli -> /opt/pelimond/pelimond-cli" \
    /usr/share/applications/example.talvex.Pelimond.desktop \
    /usr/share/metainfo/example.talvex.Pelimond.metainfo.xml \
    /usr/share/icons/hicolor/scalable/apps/example.talvex.Pelimond.svg \
    /usr/share/doc/pelimond/copyright /usr/share/doc/pelimond/changelog.gz \
    /usr/share/man/man1/pelimond.1.gz /usr/share/man/man1/pelimond-cli.1.gz; do
    expect "$f"
done
for size in 16 22 24 32 48 64 128 256; do
    expect "/usr/share/icons/hicolor/${size}x${size}/apps/example.talvex.Pelimond.png"
done
! grep -q 'talvex-sim' "$work/contents" || fail "the package holds the simulated site"
echo "$(grep -vc '/$' "$work/contents") files, all expected ones present"

step "lintian"
lintian --fail-on error --display-info "$deb" || fail "lintian found errors"
echo "no errors; overridden on purpose (/usr/share/lintian/overrides/pelimond):"
lintian --show-overrides "$deb" 2>/dev/null | sed -n 's/^O: pelimond: \([^ ]*\).*/\1/p' | sort | uniq -c || true

mkdir "$work/extract"
dpkg-deb -x "$deb" "$work/extract"
for size in 16 22 24 32 48 64 128 256; do
    file -b "$work/extract/usr/share/icons/hicolor/${size}x${size}/apps/example.talvex.Pelimond.png" |
        grep -q "PNG image data, $size x $size," || fail "the ${size}x${size} icon has another size"
done

step "desktop-file-validate"
desktop-file-validate "$work/extract/usr/share/applications/example.talvex.Pelimond.desktop" ||
    fail "desktop-file-validate found errors"
echo "no errors"

step "appstreamcli validate"
appstreamcli validate --no-net --explain \
    "$work/extract/usr/share/metainfo/example.talvex.Pelimond.metainfo.xml" ||
    fail "appstreamcli found errors"

step "Installing"
if dpkg-query -W -f='${Status}' pelimond 2>/dev/null | grep -q "install ok installed"; then
    [[ -e "$ours" ]] || fail "a pelimond package is installed already; remove it before this check"
    other=$(cat "$ours")
    ! kill -0 "$other" 2>/dev/null || fail "another run of this check (process $other) is using the package"
    echo "removing the package an interrupted check left"
    $sudo apt-get -o DPkg::Lock::Timeout=300 purge -y -qq pelimond >/dev/null
fi
find /opt/pelimond >/dev/null 2>&1 && fail "/opt/pelimond exists although no package is installed"
installed_here=true
echo $$ | $sudo tee "$ours" >/dev/null
DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=300 install -y -qq --no-install-recommends "$deb" >/dev/null
dpkg -L pelimond >"$work/installed"
find /opt/pelimond | sort >"$work/opt-before"
echo "installed $(wc -l <"$work/installed") paths"

step "From the PATH"
mkdir "$work/empty"
for program in pelimond pelimond-cli; do
    [[ $(command -v $program) == /usr/bin/$program ]] || fail "$program is not /usr/bin/$program"
    out=$(HOME="$work/empty" $program --version)
    echo "$program --version: $out"
    [[ $out == "Pelimond version $version" ]] || fail "$program --version says \"$out\""
done
[[ -z $(ls -A "$work/empty") ]] || fail "--version wrote into the home folder"

step "The simulated site"
[[ -x "$build/bin/talvex-sim" ]] || fail "$build/bin/talvex-sim is missing"
"$build/bin/talvex-sim" --port 0 --seed 1 --scale 1 >"$work/site.log" &
site=$!
for _ in $(seq 100); do
    grep -q '^http://127.0.0.1:' "$work/site.log" && break
    sleep 0.1
done
port=$(sed -n 's|^http://127.0.0.1:\([0-9]*\)/.*|\1|p' "$work/site.log" | head -n1)
[[ -n "$port" ]] || fail "the simulated site did not start"
echo "on 127.0.0.1:$port"

step "A fresh user"
home="$work/home"
mkdir "$home"
if [[ $(id -u) -eq 0 ]]; then
    # A user who owns nothing but an empty home: the installed folder is not theirs to write.
    chown 65534:65534 "$home"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
else
    as_user=()
fi
user() {
    "${as_user[@]}" env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"
}
folder="$home/.local/share/Pelimond"
user pelimond-cli set URL Proxy 2 2>"$work/first.err" || { cat "$work/first.err" >&2; fail "the first start failed"; }
echo "first start: $(tr -d '\r' <"$work/first.err" | head -n1)"
user pelimond-cli set URL ProxyName 127.0.0.1
user pelimond-cli set URL ProxyPort "$port"
user pelimond-cli set CACHE Update 3
for f in Pelimond.INI CATEGORY.INI Pelimond.mdb WEBIMAGE/news.gif help/index.html; do
    [[ -s "$folder/$f" ]] || fail "the user's folder lacks $f"
done
timeout 600 "${as_user[@]}" env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 \
    pelimond-cli update 2>"$work/update.err" || { tail -n 20 "$work/update.err" >&2; fail "the update failed"; }
echo "update: $(grep -c . "$work/update.err") progress lines"
properties=$(user pelimond-cli properties http://www.talvex.example/tpack/filearea/ --json)
entries=$(sed -n 's/.*"entries": *\([0-9]*\).*/\1/p' <<<"$properties")
folders=$(sed -n 's/.*"folders": *\([0-9]*\).*/\1/p' <<<"$properties")
echo "the catalogue holds $entries entries in $folders folders of the library area"
[[ ${entries:-0} -gt 0 && ${folders:-0} -gt 0 ]] || fail "the update left the catalogue empty: $properties"
# The program itself starts on the same folder: it takes its instance lock there.
"${as_user[@]}" env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen \
    pelimond >"$work/gui.log" 2>&1 &
gui=$! # setpriv and env run the program in their own process
for _ in $(seq 200); do
    [[ -e "$folder/Pelimond.lock" ]] && break
    sleep 0.1
done
kill "$gui" 2>/dev/null || true
wait "$gui" 2>/dev/null || true
gui=""
[[ -e "$folder/Pelimond.lock" ]] || { cat "$work/gui.log" >&2; fail "pelimond did not start on the user's folder"; }
echo "pelimond started on $folder"
others=$(find "$home" ! -user 65534 2>/dev/null | head -n 3)
[[ $(id -u) -ne 0 || -z "$others" ]] || fail "files in the user's home that the user does not own: $others"
find /opt/pelimond | sort | diff "$work/opt-before" - || fail "the installed folder changed"
echo "the installed folder is unchanged; the user's folder holds $(find "$folder" -type f | wc -l) files"

step "Removing"
$sudo apt-get -o DPkg::Lock::Timeout=300 purge -y -qq pelimond >/dev/null
$sudo rm -f "$ours"
installed_here=false
left=()
while read -r path; do
    [[ -e $path || -L $path ]] || continue
    # Folders that other packages share (/usr/bin, /usr/share/icons/…) stay.
    [[ -d $path && ! -L $path && $path != /opt/pelimond* && $path != /usr/share/doc/pelimond ]] && continue
    left+=("$path")
done <"$work/installed"
[[ ${#left[@]} -eq 0 ]] || fail "left after removal: ${left[*]}"
[[ -d "$folder" ]] || fail "the removal touched the user's folder"
echo "no file of the package is left; the user's folder stays"
