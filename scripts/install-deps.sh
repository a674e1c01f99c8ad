#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need.
# Idempotent: when every package is present it touches nothing and asks no
# registry; otherwise it runs `apt-get update` once and installs the missing
# ones (through sudo when not root).
set -euo pipefail

packages=(
  build-essential cmake pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  libboost-dev libssl-dev
  libcurl4-openssl-dev libarchive-dev libsqlite3-dev libcpp-httplib-dev
  desktop-file-utils locales
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
