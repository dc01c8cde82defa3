#!/usr/bin/env bash
# Installs what is missing, builds Quillet twice and runs every test:
#  1. the release build (g++) with all unit, golden and corpus tests;
#  2. a clang build with AddressSanitizer + UndefinedBehaviorSanitizer, which
#     reruns the suites and runs each libFuzzer target for a bounded time;
#  3. the desktop tests once more under the sanitizers, on Qt's offscreen
#     platform, with LeakSanitizer quiet only about Qt's and fontconfig's own
#     allocations.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

# Tests write only into temporary folders: the working tree must look the
# same after the run as before it.
tree_state() { git status --porcelain 2>/dev/null || true; }
before=$(tree_state)

jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DQUILLET_SANITIZE=ON -DQUILLET_FUZZ=ON -DQUILLET_DESKTOP=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure -j "$jobs"

cmake -S . -B build-desktop-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DQUILLET_SANITIZE=ON -DQUILLET_DESKTOP=ON >/dev/null
cmake --build build-desktop-asan -j "$jobs" --target desktop_tests
LSAN_OPTIONS="suppressions=$PWD/scripts/lsan-desktop.supp:print_suppressions=0" \
  ctest --test-dir build-desktop-asan --output-on-failure -j "$jobs" -L desktop -E desktop_screenshot

after=$(tree_state)
if [ "$after" != "$before" ]; then
  echo "the test run left changes in the working tree:" >&2
  diff <(echo "$before") <(echo "$after") >&2 || true
  exit 1
fi
