#!/usr/bin/env bash
# `trevalune-send -d A -d B -d C file -` against three `lp -o raw` at once, the same SIZE MiB
# (default 100) of random bytes from a pipe to three queues of a private print server (each
# printing to /dev/null). They take turns, ROUNDS rounds (default 3); prints the median wall
# times, their ratio and trevalune-send's largest resident size. A figure, not a test: it
# depends on how busy the machine is; compare the rows of one run.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
rounds=${ROUNDS:-3}
size=${SIZE:-100}

[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j 2 --target trevalune-send trevalune-virtual-printer >/dev/null
send=$build/cli/trevalune-send

state=$(mktemp -d "${TMPDIR:-/tmp}/trevalune-bench-stdin.XXXXXX")
cleanup() {
    local rc=$?
    scripts/lib/print-server.sh stop "$state" || true
    rm -rf "$state"
    exit "$rc"
}
trap cleanup EXIT
VIRTUAL_PRINTER=$build/tools/virtual-printer/trevalune-virtual-printer \
    scripts/lib/print-server.sh start "$state" >/dev/null
CUPS_SERVER=$(sed -n 's/^CUPS_SERVER=//p' "$state/env")
export CUPS_SERVER
queues=(A B C)
for q in "${queues[@]}"; do lpadmin -p "$q" -E -v file:/dev/null; done
head -c "${size}M" /dev/urandom >"$state/data"

idle() { while [ -n "$(lpstat -o 2>/dev/null)" ]; do sleep 0.05; done; }
now() { date +%s.%N; }
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
send_times=() lp_times=() rss=()
for _ in $(seq "$rounds"); do
    idle
    t0=$(now)
    cat "$state/data" | /usr/bin/time -f %M -o "$state/rss" "$send" -q -d A -d B -d C file - 2>/dev/null
    send_times+=("$(echo "$(now) - $t0" | bc)")
    rss+=("$(cat "$state/rss")")
    idle
    t0=$(now)
    for q in "${queues[@]}"; do cat "$state/data" | lp -s -o raw -d "$q" & done
    wait
    lp_times+=("$(echo "$(now) - $t0" | bc)")
done
s=$(median "${send_times[@]}")
l=$(median "${lp_times[@]}")
printf 'file - to 3 queues, %s MiB, median of %s\n' "$size" "$rounds"
printf '  trevalune-send   %6.2f s  (largest resident size %s KiB)\n' "$s" "$(median "${rss[@]}")"
printf '  3 x lp -o raw    %6.2f s\n' "$l"
printf '  ratio            %6.2f\n' "$(echo "$s / $l" | bc -l)"
