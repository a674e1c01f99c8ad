#!/usr/bin/env bash
# Runs the installer sandboxed: HOME and the system-root prefix point into the
# build tree, so nothing outside it is touched. Prints the install log after.
set -euo pipefail

build_dir="${1:-build}"
root="$(cd "$(dirname "$0")/.." && pwd)"
case "$build_dir" in /*) ;; *) build_dir="$root/$build_dir" ;; esac

sandbox="$build_dir/demo"
home="$sandbox/home"
# Each demo starts from an empty sandbox.
rm -rf "$sandbox"
mkdir -p "$home" "$sandbox/root"

echo "demo: running the installer with HOME=$home"
env -i PATH="/usr/bin:/bin" HOME="$home" LANG="${LANG:-en_US.UTF-8}" \
    MSS_ROOT_PREFIX="$sandbox/root" \
    "$build_dir/src/app/mirvak-setup"

log="$home/Documents/Mirvak/Serac Studio/Log/install.log"
echo "demo: install log ($log):"
cat "$log"
