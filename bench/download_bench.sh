#!/usr/bin/env bash
# Download engine benchmark: one 1,250,109,064-byte file fetched from five local
# mirrors (127.0.0.2 to 127.0.0.6, two connections each) and verified, then the
# whole-file verification alone against md5sum of the same file.
#
#   bench/download_bench.sh [BUILD_DIR]     (default: build)
#
# Reports wall time, MB/s, CPU seconds and peak memory of each download (GNU
# time), and the verification time next to md5sum's. The virtual machines this
# runs on give freed memory back to the host a few seconds after a large write,
# which makes write-heavy timings swing: every run waits a fixed 10 s first,
# and the verification and md5sum runs alternate.
#
# Environment: SIZE (bytes, default 1250109064), ROUNDS (default 3),
# WORK (scratch folder, default /tmp/mss-download-bench; removed at the end).
set -euo pipefail

BUILD=${1:-build}
SIZE=${SIZE:-1250109064}
ROUNDS=${ROUNDS:-3}
WORK=${WORK:-/tmp/mss-download-bench}
PAUSE=10
BENCH=$BUILD/bench/download/mss-download-bench
MIRROR=$BUILD/tools/mirror-server/mss-mirror

for program in "$BENCH" "$MIRROR" /usr/bin/time md5sum; do
    if [ ! -x "$program" ] && ! command -v "$program" > /dev/null; then
        echo "missing $program (build the targets mss-download-bench and mss-mirror; Debian package time)" >&2
        exit 1
    fi
done

mkdir -p "$WORK"
# The payload and the downloaded copy, with room to spare.
needed=$(( SIZE * 2 / 1024 + 1048576 ))
free=$(df -Pk "$WORK" | awk 'NR == 2 { print $4 }')
if [ "$free" -lt "$needed" ]; then
    echo "not enough space in $WORK: ${free} KiB free, ${needed} KiB needed" >&2
    exit 1
fi

mirror_pids=()
cleanup() {
    for pid in "${mirror_pids[@]}"; do
        kill "$pid" 2> /dev/null || true
    done
    wait 2> /dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

echo "generating $SIZE bytes ..."
head -c "$SIZE" /dev/urandom > "$WORK/payload.bin"

urls=()
for n in 2 3 4 5 6; do
    "$MIRROR" --address "127.0.0.$n" --port 0 --file "$WORK/payload.bin" --name payload.bin \
        > "$WORK/mirror$n.out" &
    mirror_pids+=($!)
done
for n in 2 3 4 5 6; do
    for _ in $(seq 100); do
        grep -q '^listening ' "$WORK/mirror$n.out" 2> /dev/null && break
        sleep 0.1
    done
    base=$(sed -n 's/^listening //p' "$WORK/mirror$n.out")
    [ -n "$base" ] || { echo "mirror on 127.0.0.$n did not start" >&2; exit 1; }
    urls+=("$base/download/payload.bin")
done

"$BENCH" manifest "$WORK/payload.bin" "$WORK/manifest.xml" "${urls[@]}"
digest=$(grep -o 'item_0 value="[0-9A-F]\{32\}"' "$WORK/manifest.xml" | grep -o '[0-9A-F]\{32\}')
echo "file: $SIZE bytes, MD5 $digest, mirrors: ${urls[*]}"

report_time() {  # GNU time -v output -> one line
    awk -F': ' '
        /Elapsed \(wall clock\)/ { wall = $2 }
        /User time/ { user = $2 }
        /System time/ { sys = $2 }
        /Maximum resident set size/ { rss = $2 }
        END { printf "  wall %s, CPU %.2f s (user %s + system %s), peak memory %.1f MB\n", wall, user + sys, user, sys, rss / 1024 }
    ' "$1"
}

for round in $(seq "$ROUNDS"); do
    echo "== round $round"
    rm -f "$WORK/target.bin"
    sleep "$PAUSE"
    /usr/bin/time -v -o "$WORK/time.txt" "$BENCH" download "$WORK/manifest.xml" "$WORK/target.bin"
    report_time "$WORK/time.txt"

    sleep "$PAUSE"
    /usr/bin/time -f "  verify wall %e s, CPU %U + %S s" "$BENCH" verify "$WORK/target.bin" "$digest"

    sleep "$PAUSE"
    /usr/bin/time -f "  md5sum wall %e s, CPU %U + %S s" md5sum "$WORK/target.bin"
done
