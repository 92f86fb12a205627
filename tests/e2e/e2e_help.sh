#!/usr/bin/env bash
# "Hilfe" on a machine set up by scripts/setup.sh: the desktop names a PDF viewer whose desktop
# file exists and registers it for PDF, and the real console, clicked on "Hilfe" under a virtual
# display, starts that viewer on hilfe.pdf instead of showing "Es ist ein Fehler aufgetreten.".
# The same click with no viewer registered must show the error box, so the check for it is
# known to see one. No viewer outlives the test: every process the console starts carries a
# mark in its environment and is ended by its id.
set -euo pipefail
exe="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d)"
mark="vantor-e2e-help-$$-$RANDOM"

# The ids of the processes that carry the mark (the console and whatever it started).
marked() {
  grep -lzxF "VANTOR_E2E_RUN=$mark" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3 || true
}
cleanup() {
  local pids
  pids=$(marked)
  if [ -n "$pids" ]; then
    # shellcheck disable=SC2086
    kill $pids 2>/dev/null || true
    sleep 0.5
    pids=$(marked)
    # shellcheck disable=SC2086
    [ -z "$pids" ] || kill -9 $pids 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "e2e help: $*"
  exit 1
}

# 1. The registration, as xdg-open reads it.
command -v xdg-mime >/dev/null || fail "xdg-mime fehlt (xdg-utils): scripts/setup.sh ausführen"
pdf="$(dirname "$exe")/hilfe.pdf"
[ -f "$pdf" ] || fail "$pdf fehlt (Ziel help_pdf)"
type=$(xdg-mime query filetype "$pdf" 2>/dev/null || true)
[ "$type" = "application/pdf" ] || fail "hilfe.pdf gilt dem Desktop als \"$type\", nicht als application/pdf"
desktop=$(xdg-mime query default application/pdf 2>/dev/null || true)
[ -n "$desktop" ] || fail "kein PDF-Betrachter für application/pdf eingetragen: scripts/setup.sh ausführen"
entry=""
IFS=: read -r -a dirs <<<"${XDG_DATA_HOME:-$HOME/.local/share}:${XDG_DATA_DIRS:-/usr/local/share:/usr/share}"
for d in "${dirs[@]}"; do
  if [ -f "$d/applications/$desktop" ]; then
    entry="$d/applications/$desktop"
    break
  fi
done
[ -n "$entry" ] || fail "der eingetragene Betrachter $desktop hat keine Desktop-Datei"
grep -q '^MimeType=.*application/pdf;' "$entry" || fail "$entry meldet sich nicht für application/pdf an"
viewer=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry" | head -n 1 | tr -d '"')
command -v "$viewer" >/dev/null || fail "das Programm \"$viewer\" aus $entry fehlt"
echo "e2e help: $desktop ($entry) zeigt PDF-Dateien mit $viewer"

# 2. The console, run from a folder of its own with the help document beside it.
prog="$work/prog"
mkdir -p "$prog"
cp "$exe" "$pdf" "$prog/"
for f in signal.wav MonospaceTypewriter.ttf; do
  [ -f "$(dirname "$exe")/$f" ] && cp "$(dirname "$exe")/$f" "$prog/"
done
printf '%s' '<?xml version="1.0" encoding="iso-8859-1" ?><mk><info><heim>KSV</heim><gast>ASV</gast></info><kaempfe><kampf1><klasse>57</klasse><stil>F</stil><reihenfolge>1</reihenfolge></kampf1></kaempfe></mk>' >"$work/hilfe.ptlx"
# A desktop without any registration: the same folders, empty.
mkdir -p "$work/bare/data" "$work/bare/config"

unset QT_QPA_PLATFORM # the program must appear on the virtual display
export VANTOR_E2E_MARK="$mark"
timeout 100 xvfb-run -a -s "-screen 0 1280x800x24" bash "$here/drive_help.sh" "$prog/$(basename "$exe")" \
  "$work/hilfe.ptlx" "$work/bare" "${VANTOR_SHOTS:-}"
echo "e2e help: \"Hilfe\" öffnet hilfe.pdf im eingetragenen Betrachter"
