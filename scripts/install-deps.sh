#!/usr/bin/env bash
# Installs every Debian package Quillet needs to build, test and run.
# Idempotent: when everything is present it prints nothing and exits 0.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev
  clang libclang-rt-14-dev
  libpcre2-dev
  qt6-base-dev libqscintilla2-qt6-dev
  xvfb xauth fonts-dejavu-core openbox xdotool x11-utils
  fpc-source-3.2.2
  fp-compiler-3.2.2 fp-units-rtl-3.2.2
)

missing=()
for p in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

SUDO=""
if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
