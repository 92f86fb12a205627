#!/usr/bin/env bash
# Every folder of src/ may include only from its own folder and the folders below it: a folder
# that reaches up ties a lower subsystem to one built on top of it. The shell ties the
# subsystems together and stands on top.
set -euo pipefail
src="${1:?usage: check_layers.sh <src folder>}"
rank() {
  case "$1" in
    platform) echo 0 ;; settings) echo 1 ;; widgets) echo 1 ;;
    match) echo 2 ;; bout) echo 3 ;; scoreboard) echo 4 ;;
    printing) echo 6 ;; exchange) echo 7 ;; shell) echo 8 ;; main.cpp) echo 9 ;;
    *) echo "unknown folder $1" >&2; exit 2 ;;
  esac
}
bad=0
while IFS= read -r file; do
  rel="${file#"$src"/}"
  own="${rel%%/*}"
  mine=$(rank "$own")
  while IFS= read -r inc; do
    target="${inc%%/*}"
    [ "$target" = "$own" ] && continue
    theirs=$(rank "$target")
    if [ "$theirs" -gt "$mine" ]; then
      echo "$rel includes $inc: $target stands above $own"
      bad=1
    fi
  done < <(sed -n 's/^#include "\([a-z]*\/[^"]*\)".*/\1/p' "$file")
  # widgets are the foot of the window layer: no core rules in them.
  if [ "$own" = widgets ] && grep -qE '^#include "(match|bout|scoreboard|shell|printing|exchange|settings)/' "$file"; then
    echo "$rel: widgets hold no subsystem's code"
    bad=1
  fi
done < <(find "$src" -name '*.cpp' -o -name '*.h')
exit $bad
