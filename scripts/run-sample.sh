#!/usr/bin/env bash
# Installs what is missing, builds Quillet and runs it on the sample project.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
build/bin/qlcheck samples/Inventory/Inventory.dpr
