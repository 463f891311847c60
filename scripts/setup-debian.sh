#!/usr/bin/env bash
# Installs what building and running Kestrune need on Debian 12; with
# --tests, also what building and running its tests and benchmarks need.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-qpa-plugins
  qt6-translations-l10n
  fonts-dejavu-core
)
if [ "${1:-}" = "--tests" ]; then
  packages+=(
    qt6-l10n-tools
    libgtest-dev libgmock-dev libbenchmark-dev
    ntfs-3g fuse3 util-linux e2fsprogs
    dosfstools exfatprogs exfat-fuse  # FAT and exFAT volumes (exfat-fuse where the kernel has no exfat)
    tzdata
    xvfb xauth xdotool
    fonts-dejavu-extra  # a second, narrower family for the text-fitting tests
  )
fi

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
