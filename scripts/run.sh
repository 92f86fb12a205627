#!/usr/bin/env bash
# Builds VANTOR² and starts the console; an optional argument names a match file to open.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$here/scripts/setup.sh"
build="$here/build"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --parallel --target vantor2 help_pdf
exec "$build/vantor2" "$@"
