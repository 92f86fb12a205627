#!/usr/bin/env bash
# Inside the virtual display: "Hilfe" clicked twice, once on a desktop without a PDF viewer
# (the error box must come) and once on the machine as it is set up (the viewer must come).
set -euo pipefail
exe="$1"; match="$2"; bare="$3"; shots="${4:-}"
mark="$VANTOR_E2E_MARK"
pid=""

marked() {
  grep -lzxF "VANTOR_E2E_RUN=$mark" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3 || true
}
# The processes the console started on hilfe.pdf (xdg-open and the viewer).
openers() {
  local p
  for p in $(marked); do
    [ "$p" = "$pid" ] && continue
    { tr '\0' ' ' <"/proc/$p/cmdline"; } 2>/dev/null | grep -q 'hilfe\.pdf' && echo "$p"
  done
  return 0
}
# The error box is titled with the program's name alone; the operator window shows the file.
error_box() {
  xdotool search --onlyvisible --name '^VANTOR..?$' 2>/dev/null | head -n 1 || true
}
shot() { [ -n "$shots" ] && import -window root "$shots/$1.png" 2>/dev/null || true; }
fail() {
  echo "e2e help: $*"
  exit 1
}
end_all() {
  local pids
  pids=$(marked)
  # shellcheck disable=SC2086
  [ -z "$pids" ] || kill $pids 2>/dev/null || true
  for _ in $(seq 1 50); do
    [ -z "$(marked)" ] && return 0
    sleep 0.1
  done
  pids=$(marked)
  # shellcheck disable=SC2086
  [ -z "$pids" ] || kill -9 $pids 2>/dev/null || true
}
trap end_all EXIT

# Starts the console with the given environment and clicks "Hilfe".
start_and_click_help() {
  env VANTOR_E2E_RUN="$mark" "$@" "$exe" "$match" &
  pid=$!
  local win
  win=$(timeout 15 xdotool search --sync --onlyvisible --name 'VANTOR.*hilfe\.ptlx' | head -n 1)
  [ -n "$win" ] || fail "das Bedienfenster erscheint nicht"
  xdotool windowfocus --sync "$win" 2>/dev/null || true
  sleep 0.3
  xdotool mousemove 40 662 click 1 # "Hilfe" under the menu pictures
}

# A desktop that knows no viewer: the console says so.
start_and_click_help XDG_DATA_HOME="$bare/data" XDG_DATA_DIRS="$bare/data" \
  XDG_CONFIG_HOME="$bare/config" XDG_CONFIG_DIRS="$bare/config"
box=""
for _ in $(seq 1 100); do
  box=$(error_box)
  [ -n "$box" ] && break
  sleep 0.1
done
shot help-without-viewer
[ -n "$box" ] || fail "ohne PDF-Betrachter erscheint keine Fehlermeldung"
[ -z "$(openers)" ] || fail "ohne PDF-Betrachter wurde trotzdem etwas gestartet"
end_all

# The machine as set up: the registered viewer opens hilfe.pdf, and no error box comes.
start_and_click_help
viewers=""
for _ in $(seq 1 200); do
  viewers=$(openers)
  [ -n "$viewers" ] && break
  [ -n "$(error_box)" ] && break
  sleep 0.1
done
window=$(timeout 20 xdotool search --sync --onlyvisible --name 'hilfe' 2>/dev/null | head -n 1 || true)
sleep 0.5
shot help-with-viewer
[ -z "$(error_box)" ] || fail "\"Hilfe\" zeigt \"Es ist ein Fehler aufgetreten.\""
[ -n "$viewers" ] || fail "kein Betrachter für hilfe.pdf gestartet"
[ -n "$window" ] || fail "kein Fenster des Betrachters mit hilfe.pdf"
kill -0 "$pid" 2>/dev/null || fail "die Konsole hat sich beendet"
end_all
[ -z "$(marked)" ] || fail "ein gestarteter Prozess lässt sich nicht beenden"
