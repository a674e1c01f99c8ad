#!/usr/bin/env bash
# Extraction benchmark: a product-like setup package (incompressible media,
# text-like files that compress well, thousands of small files) is made once,
# then extracted in alternating runs by the installer's unpacker (mss-unpack,
# UnpackSetupPackage: the file route above 500 MiB) and by `bsdtar -xf` on the
# same 7z archive. Every run is preceded by a fixed pause, as write-heavy
# timings swing on virtual machines otherwise. Prints wall time, CPU seconds
# and peak memory per run and the medians.
#
#   bench/extract_bench.sh <build dir> [data MiB, default 1200] [rounds, default 3] [work dir]
#   environment: PAUSE_SECONDS (default 10), COMPRESSION_LEVEL (default 5)
#
# Needs bsdtar (Debian package libarchive-tools) and the build's mss-packager,
# mss-demo-data and mss-unpack targets.
set -euo pipefail

build_dir="${1:?build dir}"
size_mb="${2:-1200}"
rounds="${3:-3}"
work="${4:-$build_dir/extract-bench}"
pause="${PAUSE_SECONDS:-10}"
level="${COMPRESSION_LEVEL:-5}"  # LZMA2 level of the archive (0 to 9)

for tool in mss-packager mss-unpack; do
  [ -x "$build_dir/tools/packager/$tool" ] || { echo "missing $build_dir/tools/packager/$tool" >&2; exit 1; }
done
[ -x "$build_dir/tools/demo-product/mss-demo-data" ] || { echo "missing mss-demo-data" >&2; exit 1; }
command -v bsdtar >/dev/null || { echo "bsdtar is needed (apt-get install libarchive-tools)" >&2; exit 1; }

mkdir -p "$work"
package="$work/bench-package.exe"
archive="$work/bench-archive.7z"
if [ ! -f "$package" ] || [ "$(cat "$work/size" 2>/dev/null)" != "$size_mb $level" ]; then
  echo "bench: making $size_mb MiB of product data and packing it (once)"
  rm -rf "$work/product" "$package" "$archive"
  mkdir -p "$work/product"
  "$build_dir/tools/demo-product/mss-demo-data" "$work/product" "$size_mb"
  echo "uninstaller" > "$work/uninstaller"
  /usr/bin/time -f "bench: packed in %e s" "$build_dir/tools/packager/mss-packager" \
    --product-dir "$work/product" --uninstaller "$work/uninstaller" --output "$package" \
    --folder-name "Serac Studio" --signature MIRVAKSS --compression-level "$level"
  # The archive lies at 8192 (front program and block); its size is the
  # block's archiveSize field (block offset 32).
  archive_size=$(od -An -t u8 -j $((4096 + 32)) -N 8 "$package" | tr -d ' ')
  dd if="$package" of="$archive" bs=1M iflag=skip_bytes,count_bytes skip=8192 count="$archive_size" status=none
  echo "$size_mb $level" > "$work/size"
  rm -rf "$work/product"
fi
echo "bench: package $(du -h "$package" | cut -f1), files $(bsdtar -tf "$archive" | wc -l)"

results="$work/results.txt"
: > "$results"
export TMPDIR="$work/tmp"
mkdir -p "$TMPDIR"
for round in $(seq 1 "$rounds"); do
  for variant in mss-unpack bsdtar; do
    out="$work/out-$variant"
    rm -rf "$out" "$TMPDIR"/*
    mkdir -p "$out"
    sync
    sleep "$pause"
    if [ "$variant" = mss-unpack ]; then
      command=("$build_dir/tools/packager/mss-unpack" "$package" "$out" --no-uninstaller)
    else
      command=(bsdtar -xf "$archive" -C "$out")
    fi
    line=$(/usr/bin/time -f "%e %U %S %M" "${command[@]}" 2>&1 >/dev/null | tail -1)
    read -r wall user sys rss <<<"$line"
    cpu=$(echo "$user + $sys" | bc)
    printf "%-10s round %d: wall %6.2f s  cpu %6.2f s  peak %7.1f MiB\n" "$variant" "$round" "$wall" "$cpu" \
      "$(echo "$rss / 1024" | bc -l)" | tee -a "$results"
  done
done
# Both variants must have produced the same tree.
diff -r "$work/out-mss-unpack" "$work/out-bsdtar" >/dev/null && echo "bench: both trees are identical"

median() { sort -n | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
for variant in mss-unpack bsdtar; do
  wall=$(grep "^$variant " "$results" | sed 's/.*wall *\([0-9.]*\).*/\1/' | median)
  cpu=$(grep "^$variant " "$results" | sed 's/.*cpu *\([0-9.]*\).*/\1/' | median)
  peak=$(grep "^$variant " "$results" | sed 's/.*peak *\([0-9.]*\).*/\1/' | median)
  echo "median $variant: wall $wall s, cpu $cpu s, peak $peak MiB"
done
rm -rf "$work/out-mss-unpack" "$work/out-bsdtar" "$TMPDIR"
