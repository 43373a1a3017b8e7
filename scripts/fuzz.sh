#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang, AddressSanitizer and UndefinedBehaviorSanitizer
# in build-fuzz/, seeds their corpora (hand-made seeds in fuzz/seeds/, the test fixtures, and the
# pages of the simulated site generated here), and runs each target for SECONDS (default 30).
# Prints one line per target with the inputs it ran; exits non-zero when any target crashed,
# leaked, hung, ran out of memory or broke one of its checks. The input that did it is kept in
# build-fuzz/fuzz-run/artifacts/; `build-fuzz/fuzz/fuzz_NAME FILE` replays it.
#   scripts/fuzz.sh [SECONDS]
#   PELIMOND_FUZZ_TARGETS="list detail"   runs only these targets
#   PELIMOND_FUZZ_JOBS=N                  targets run side by side (default: the number of cores)
#   PELIMOND_FUZZ_RUNS=N                  a target also stops once it has run N inputs
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
[[ "$seconds" =~ ^[0-9]+$ && "${PELIMOND_FUZZ_RUNS:-0}" =~ ^[0-9]+$ ]] ||
    { echo "usage: [PELIMOND_FUZZ_RUNS=N] scripts/fuzz.sh [SECONDS]" >&2; exit 2; }

scripts/deps.sh --fuzz
build=build-fuzz
run="$build/fuzz-run"
mkdir -p "$build"
if ! { CC=clang CXX=clang++ cmake -S . -B "$build" -G "Unix Makefiles" \
         -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELIMOND_FUZZ=ON \
         -DPELIMOND_BUILD_TESTS=OFF -DPELIMOND_BUILD_BENCH=OFF &&
       cmake --build "$build" --target pelimond_fuzz -j"$(nproc)"; } >"$build/fuzz-build.log" 2>&1; then
    tail -n 40 "$build/fuzz-build.log" >&2
    echo "fuzz: the build failed (log: $build/fuzz-build.log)" >&2
    exit 1
fi

all_targets=(category list detail html_text settings category_ini libinfo http_response http_stream
             cache_names)
read -r -a targets <<<"${PELIMOND_FUZZ_TARGETS:-${all_targets[*]}}"

# Seed folders: copies of the chosen files under flat names.
seed() { # seed TARGET FILE...
    local dir="$run/seeds/$1" file
    shift
    mkdir -p "$dir"
    for file in "$@"; do
        cp "$file" "$dir/$(echo "${file#"$run/site/"}" | tr '/' '_')"
    done
}
rm -rf "$run/seeds"
if [[ ! -f "$run/site/index.html" ]]; then
    rm -rf "$run/site"
    ASAN_OPTIONS=detect_leaks=0 "$build/bin/talvex-sim" --dump "$run/site" --seed 1 --scale 1 >/dev/null
fi
fixtures=tests/fixtures/pages
mapfile -t category_pages < <(find "$run/site/download" "$run/site/tpack" "$run/site/games/lib" \
                                   -name index.html)
mapfile -t list_pages < <(find "$run/site/tpack" "$run/site/games/lib" -name '*.html')
mapfile -t detail_pages < <(find "$run/site/soft" "$run/site/games/soft" -name '*.html')
seed category "${category_pages[@]}" "$fixtures"/category_*.html
seed list "${list_pages[@]}" "$fixtures"/list_*.html
seed detail "${detail_pages[@]}" "$fixtures"/detail_*.html
seed html_text "$fixtures"/*.html
seed settings fuzz/seeds/settings/*
seed category_ini fuzz/seeds/category_ini/*
seed libinfo fuzz/seeds/libinfo/*
seed http_response fuzz/seeds/http/*
seed http_stream fuzz/seeds/http/*
seed cache_names fuzz/seeds/names/*

# Scratch program folders on a memory file system where there is one.
[[ -d /dev/shm && -w /dev/shm ]] && export TMPDIR=/dev/shm
# Qt and ICU are built without frame pointers: the fast unwinder would read their frames as ever
# new allocation stacks, which AddressSanitizer keeps for good, and memory would grow with every
# input. Reports still show where the fault happened; replay an input with
# ASAN_OPTIONS=malloc_context_size=30 to see where its memory came from.
export ASAN_OPTIONS="detect_leaks=1:malloc_context_size=0"
export UBSAN_OPTIONS="print_stacktrace=1"
symbolizer=$(command -v llvm-symbolizer || command -v llvm-symbolizer-14 || true)
[[ -n "$symbolizer" ]] && export ASAN_SYMBOLIZER_PATH="$symbolizer"

fuzz_one() { # fuzz_one TARGET: runs it, leaves its log and exit status in $run/logs
    local t="$1" args=()
    mkdir -p "$run/corpus/$t" "$run/artifacts" "$run/logs"
    [[ "$t" == http_* ]] && args+=(-dict=fuzz/dicts/http.dict)
    [[ -n "${PELIMOND_FUZZ_RUNS:-}" ]] && args+=(-runs="$PELIMOND_FUZZ_RUNS")
    set +e
    "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$run/artifacts/$t-" "${args[@]}" \
        "$run/corpus/$t" "$run/seeds/$t" >"$run/logs/$t.log" 2>&1
    echo $? >"$run/logs/$t.status"
}

side_by_side="${PELIMOND_FUZZ_JOBS:-$(nproc)}"
for t in "${targets[@]}"; do
    [[ -x "$build/fuzz/fuzz_$t" ]] || { echo "fuzz: no target $t" >&2; exit 2; }
    while (($(jobs -rp | wc -l) >= side_by_side)); do
        wait -n || true
    done
    fuzz_one "$t" &
done
wait

failed=0
for t in "${targets[@]}"; do
    log="$run/logs/$t.log"
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    status=$(cat "$run/logs/$t.status")
    if [[ "$status" == 0 ]]; then
        printf '%-22s %12s runs %8s/s  ok\n' "fuzz_$t" "${runs:-?}" "${rate:-?}"
    else
        failed=1
        what=$(grep -m 1 -E 'invariant broken|ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error' "$log" || true)
        printf '%-22s %12s runs  FAILED (%s): %s\n' "fuzz_$t" "${runs:-?}" "$status" "${what:-see $log}"
        grep -m 1 -o "Test unit written to .*" "$log" || true
    fi
done
exit "$failed"
