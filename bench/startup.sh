#!/usr/bin/env bash
# Start-up to the first shown operator window, set against a Qt widgets program that only
# shows one window (bench/minimal_window), both started the same way on one virtual display in
# the same run. A benchmark, not a test: it prints figures and a target, and never fails on them.
#
#   bench/startup.sh [BUILD_DIR [RUNS]]        defaults: build, 15
#
# "Shown" is the moment the X server maps the program's first top-level window. The script
# hears that from the server itself (a MapNotify on the root window, read from `xev` as it
# arrives) rather than by polling for the window: polling adds its interval to every sample,
# and `xdotool search --sync` waits half a second between looks, which is as long as the
# whole start-up being measured.
set -euo pipefail

build=${1:-build}
runs=${2:-15}
console_bin=$build/vantor2
minimal_bin=$build/bench/minimal_window
target_ratio=1.5

die() {
    echo "startup.sh: $*" >&2
    exit 1
}

[[ $runs =~ ^[1-9][0-9]*$ ]] || die "RUNS must be a positive number, not '$runs'"
for bin in "$console_bin" "$minimal_bin"; do
    [[ -x $bin ]] || die "$bin not found: build the targets vantor2 and minimal_window in $build first"
done
for tool in Xvfb xev xwininfo stdbuf; do
    command -v "$tool" >/dev/null || die "$tool is missing (Debian: xvfb, x11-utils, coreutils)"
done
console_bin=$(realpath "$console_bin")
minimal_bin=$(realpath "$minimal_bin")

work=$(mktemp -d)
chmod 700 "$work"
xvfb_pid=
xev_pid=
app_pid=
cleanup() {
    if [[ -n $app_pid ]]; then kill "$app_pid" 2>/dev/null || true; fi
    if [[ -n $xev_pid ]]; then kill "$xev_pid" 2>/dev/null || true; fi
    if [[ -n $xvfb_pid ]]; then kill "$xvfb_pid" 2>/dev/null || true; fi
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display of our own: the server picks a free number, so a run never disturbs (or is
# disturbed by) another virtual display on the machine.
mkfifo "$work/displayfd"
exec {displayfd}<>"$work/displayfd"
Xvfb -displayfd "$displayfd" -screen 0 1920x1080x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
read -r -t 10 -u "$displayfd" display_number || die "Xvfb did not start (see $work/xvfb.log)"
exec {displayfd}>&-
export DISPLAY=:$display_number

# Both programs see the same environment: the X platform, a private runtime folder (Qt warns
# without one), no inherited platform or scaling choices, and a scratch working folder.
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR QT_FONT_DPI
cd "$work"

coproc XEV { exec stdbuf -oL xev -display "$DISPLAY" -root -event substructure; }
xev_pid=$XEV_PID

drain() {
    local line
    while read -r -t "${1:-0.05}" -u "${XEV[0]}" line; do :; done
}

# The listener must hear the first start: show probe windows until one of them is heard.
listening=
for ((try = 0; try < 50; try++)); do
    xev -display "$DISPLAY" -geometry 10x10 >/dev/null 2>&1 &
    probe=$!
    while read -r -t 0.2 -u "${XEV[0]}" line; do
        [[ $line == "MapNotify event,"* ]] && listening=yes && break
    done
    kill "$probe" 2>/dev/null || true
    wait "$probe" 2>/dev/null || true
    [[ -n $listening ]] && break
done
[[ -n $listening ]] || die "xev hears no windows on $DISPLAY"

# One start: the wall time in microseconds from just before the fork to the MapNotify of the
# program's first top-level window, left in `elapsed_us` (called in $(...), the function would
# run in a subshell, which cannot read the listener). The window's name is checked afterwards,
# outside the measurement, so a stray window cannot be timed by mistake.
start_once() {
    local bin=$1 expected=$2 line t0 t1 window name
    drain 0.2
    t0=${EPOCHREALTIME//[.,]/}
    "$bin" >>"$work/programs.log" 2>&1 &
    app_pid=$!
    t1=
    # xev writes an event over two lines; the mapped window and its override flag are on the second.
    while read -r -t 30 -u "${XEV[0]}" line; do
        [[ $line == "MapNotify event,"* ]] || continue
        t1=${EPOCHREALTIME//[.,]/}
        read -r -t 5 -u "${XEV[0]}" line || die "xev stopped in the middle of an event"
        if [[ $line == *"override NO"* ]]; then
            window=${line#*window }
            window=${window%%,*}
            break
        fi
        t1=
    done
    [[ -n $t1 ]] || die "$bin showed no window within 30 s (see $work/programs.log)"
    name=$(xwininfo -id "$window" 2>/dev/null | sed -n 's/^xwininfo: Window id: [^ ]* "\(.*\)"$/\1/p')
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
    app_pid=
    [[ $name == "$expected" ]] || die "$bin mapped a window named '$name' first, expected '$expected'"
    elapsed_us=$((t1 - t0))
}

# One start each first, not counted: the first start after a build reads the libraries and
# fonts from disk, which an operator's machine has long cached.
start_once "$console_bin" "VANTOR²"
start_once "$minimal_bin" "Minimal"

echo "display $DISPLAY (Xvfb 1920x1080x24), $runs starts each after one uncounted start each"
printf '%4s  %14s  %14s  %7s\n' run "vantor2 ms" "minimal ms" ratio
console_us=()
minimal_us=()
for ((i = 1; i <= runs; i++)); do
    # The order within a pair alternates, so neither program always runs on a machine the
    # other has just warmed.
    if ((i % 2)); then
        start_once "$console_bin" "VANTOR²" && c=$elapsed_us
        start_once "$minimal_bin" "Minimal" && m=$elapsed_us
    else
        start_once "$minimal_bin" "Minimal" && m=$elapsed_us
        start_once "$console_bin" "VANTOR²" && c=$elapsed_us
    fi
    console_us+=("$c")
    minimal_us+=("$m")
    awk -v i="$i" -v c="$c" -v m="$m" 'BEGIN { printf "%4d  %14.2f  %14.2f  %6.2fx\n", i, c / 1000, m / 1000, c / m }'
done

# min, median (the mean of the middle two for an even count) and max of the numbers on stdin
stats() {
    sort -g | awk '{ v[NR] = $1 }
        END { med = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; print v[1], med, v[NR] }'
}
read -r c_min c_med c_max < <(printf '%s\n' "${console_us[@]}" | stats)
read -r m_min m_med m_max < <(printf '%s\n' "${minimal_us[@]}" | stats)
read -r r_min r_med r_max < <(for ((i = 0; i < runs; i++)); do
    awk -v c="${console_us[i]}" -v m="${minimal_us[i]}" 'BEGIN { print c / m }'
done | stats)

awk -v cmin="$c_min" -v cmed="$c_med" -v cmax="$c_max" -v mmin="$m_min" -v mmed="$m_med" -v mmax="$m_max" \
    -v rmin="$r_min" -v rmed="$r_med" -v rmax="$r_max" -v target="$target_ratio" 'BEGIN {
    printf "\nSummary (wall-clock from the fork to the first window mapped; this run; the target is informative)\n"
    printf "  %-16s min %8.2f ms   median %8.2f ms   max %8.2f ms\n", "vantor2", cmin / 1000, cmed / 1000, cmax / 1000
    printf "  %-16s min %8.2f ms   median %8.2f ms   max %8.2f ms\n", "minimal_window", mmin / 1000, mmed / 1000, mmax / 1000
    printf "  ratio of medians %.2fx   (pair by pair: min %.2fx, median %.2fx, max %.2fx)\n", cmed / mmed, rmin, rmed, rmax
    printf "  target: vantor2 at most %.1fx the minimal program: %s\n", target, cmed / mmed <= target ? "met" : "NOT met"
}'
