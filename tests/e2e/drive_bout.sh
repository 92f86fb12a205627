#!/usr/bin/env bash
# Inside the virtual display: the operator's clicks and keys.
set -euo pipefail
exe="$1"; match="$2"; shots="${3:-}"
"$exe" "$match" &
pid=$!
cleanup() { kill "$pid" 2>/dev/null || true; }
trap cleanup EXIT

win=$(timeout 15 xdotool search --sync --onlyvisible --name 'VANTOR' | head -n 1)
xdotool windowfocus --sync "$win" 2>/dev/null || true
sleep 0.3
shot() { [ -n "$shots" ] && import -window root "$shots/$1.png" 2>/dev/null || true; }
# Each window shows exactly its own caption, nothing appended.
title_is() {
  local got
  got=$(xdotool getwindowname "$1")
  if [ "$got" != "$2" ]; then
    echo "window title \"$got\", expected \"$2\""
    exit 1
  fi
}
title_is "$win" "VANTOR²: [$(basename "$match")]"
shot start

xdotool mousemove 52 245 click 1      # menu picture of the bout panel
sleep 0.4
shot bout
# 2 points red, 4 points blue, passivity red, caution red, caution blue, undo, shoulder win red
xdotool key --delay 60 F2 F7 p v ctrl+v BackSpace s
sleep 0.2
shot scored
xdotool key F9                        # evaluate and go to the next bout
sleep 0.3
xdotool mousemove 52 535 click 1      # menu picture of the set-up panel
sleep 0.4
xdotool mousemove 792 240 click 1     # "+" beside the advert list: the picture dialog
dialog=$(timeout 10 xdotool search --sync --onlyvisible --name 'ffnen' | head -n 1)
title_is "$dialog" "Öffnen"
xdotool key Escape
sleep 0.3
xdotool mousemove 40 622 click 1      # "Anzeige"
audience=$(timeout 10 xdotool search --sync --onlyvisible --name '^Anzeige' | head -n 1)
title_is "$audience" "Anzeige"
shot audience
xdotool windowfocus --sync "$audience" 2>/dev/null || true
xdotool key Escape                    # the audience window hides
sleep 0.3
xdotool mousemove 40 700 click 1      # "Beenden"
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "the console did not end after \"Beenden\""
  exit 1
fi
wait "$pid"
trap - EXIT
