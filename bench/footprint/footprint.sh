#!/usr/bin/env bash
# The program's resident set after a minute idle, beside a minimal Qt 6 tray program started in
# the same run (bench_minimal_tray), on one Xvfb display with trayer as tray host: first with
# the window shown on its usage page as it starts, then for another minute hidden in the tray.
# After each minute it prints both resident sets and what each part of them holds, from
# /proc/PID/smaps grouped by mapping.
#
#   bench/footprint/footprint.sh [BUILD_DIR] [idle seconds, default 60]
set -euo pipefail
export LC_ALL=C

build=$(realpath "${1:-build/release}")
seconds=${2:-60}
program=$build/shell/norvane
yardstick=$build/bench/bench_minimal_tray
for binary in "$program" "$yardstick"; do
  [ -x "$binary" ] || { echo "no program at $binary" >&2; exit 1; }
done

source "$(dirname "$0")/../program_session.sh"
work=$bench_work

# A display of its own, so that nothing else on a shared machine draws into the figures.
mkfifo "$work/display"
exec {displayfd}<>"$work/display"
Xvfb -displayfd "$displayfd" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 10 display <&"$displayfd" || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$display
start_tray_host

(export_program_home "$work/home" && exec "$program" >"$work/program.log" 2>&1) &
norvane=$!
pids+=("$norvane")
"$yardstick" >"$work/yardstick.log" 2>&1 &
minimal=$!
pids+=("$minimal")


# Resident kB of each part of a process: its heap and other anonymous memory, each library or
# file mapped (fonts, locale), and the rest, largest first.
parts() {
  awk '
    /^[0-9a-f]+-[0-9a-f]+ / { name = ($6 == "") ? "[anonymous]" : $6; sub(/.*\//, "", name); next }
    $1 == "Rss:" { rss[name] += $2 }
    END { for (n in rss) if (rss[n] > 0) printf "%d %s\n", rss[n], n }' "/proc/$1/smaps" | sort -rn
}

report() {
  local label=$1 target=$2 ours theirs
  ours=$(rss_kb "$norvane")
  theirs=$(rss_kb "$minimal")
  awk -v label="$label" -v target="$target" -v ours="$ours" -v theirs="$theirs" 'BEGIN {
    printf "%s: norvane %.1f MiB, minimal tray %.1f MiB, ratio %.2f (target <= %s)\n", label, ours / 1024, theirs / 1024, ours / theirs, target }'
  echo "  part                                   norvane kB   minimal kB"
  join -a 1 -a 2 -e 0 -1 2 -2 2 -o 0,1.1,2.1 <(parts "$norvane" | sort -k2) <(parts "$minimal" | sort -k2) |
    sort -k2,2nr | awk '$2 >= 256 || $3 >= 256 { printf "  %-38s %10d %12d\n", $1, $2, $3 }'
  grep -E '^(Rss|Pss|Anonymous|Private_Dirty)' "/proc/$norvane/smaps_rollup" | tr -s ' ' | sed 's/^/  norvane smaps_rollup /'
}

for _ in $(seq 100); do window_shown && break; sleep 0.2; done
window_shown || { echo "no window" >&2; cat "$work/program.log" >&2; exit 1; }
echo "program: $program; yardstick: $yardstick; ${seconds} s idle per state"
sleep "$seconds"
report "window shown, usage page" 1.3

# The window opens at (279, 233); its close button at (667, 0) hides it to the tray.
xdotool mousemove 958 240 click 1
sleep 1
window_shown && { echo "the window did not go to the tray" >&2; exit 1; }
sleep "$seconds"
report "window hidden in the tray" 1.2
