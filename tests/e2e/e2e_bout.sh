#!/usr/bin/env bash
# Runs the real console under a virtual display: opens a match file, scores a bout with the
# keyboard, leaves it with F9, checks the captions of the operator window, the picture dialog
# and the audience window, quits with "Beenden" and checks the match file it wrote.
set -euo pipefail
exe="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

printf '%s' '<?xml version="1.0" encoding="iso-8859-1" ?><mk><info><erstellt>07.12.2026</erstellt><heim>KSV</heim><gast>ASV</gast></info><kaempfe><kampf1><klasse>57</klasse><stil>F</stil><vornrot>Hans</vornrot><nachnrot>Huber</nachnrot><vornblau>Jan</vornblau><nachnblau>Nowak</nachnblau><reihenfolge>1</reihenfolge></kampf1><kampf2><klasse>61</klasse><stil>G</stil><vornrot>Ali</vornrot><nachnrot>Demir</nachnrot><vornblau>Ole</vornblau><nachnblau>Berg</nachnblau><reihenfolge>2</reihenfolge></kampf2></kaempfe></mk>' >"$work/e2e.ptlx"

# The program runs from a folder of its own, so no settings or licence file left beside the
# build changes what it does.
prog="$work/prog"
mkdir -p "$prog"
cp "$exe" "$prog/"
for f in signal.wav MonospaceTypewriter.ttf hilfe.pdf; do
  [ -f "$(dirname "$exe")/$f" ] && cp "$(dirname "$exe")/$f" "$prog/"
done

unset QT_QPA_PLATFORM  # the program must appear on the virtual display
xvfb-run -a -s "-screen 0 1280x800x24" bash "$here/drive_bout.sh" "$prog/$(basename "$exe")" "$work/e2e.ptlx" "${VANTOR_SHOTS:-}"

file="$work/e2e.ptlx"
fail=0
expect() {
  if ! grep -qF "$1" "$file"; then
    echo "missing in match file: $1"
    fail=1
  fi
}
expect '<sieg>SS</sieg>'
expect '<punkterot>4</punkterot>'
expect '<punkteblau>0</punkteblau>'
expect '<tprot>2</tprot>'
expect '<tpblau>4</tpblau>'
expect '<wertungenrot>2#PV</wertungenrot>'
expect '<wertungenblau>#4##</wertungenblau>'
expect '<zeiten>0:00;0:00;0:00;0:00;</zeiten>'
expect '<zeit>0:00</zeit>'
if [ "$fail" -ne 0 ]; then
  cat "$file"; echo
  exit 1
fi
echo "e2e bout: match file as expected"
