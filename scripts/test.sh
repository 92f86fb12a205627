#!/usr/bin/env bash
# Builds VANTOR² with warnings as errors and runs every test.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$here/scripts/setup.sh"
build="${VANTOR_TEST_BUILD:-$here/build-tests}"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_WERROR=ON >/dev/null
cmake --build "$build" --parallel
cd "$build"
ctest --output-on-failure --parallel "$(nproc)"
