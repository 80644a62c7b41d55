#!/usr/bin/env bash
# What the running program costs while it waits, beside `top -b -d 2` over the same minute,
# with extra idle processes on the system, in three states: the window hidden in the tray, the
# usage page ("System Overview") shown, the processes page ("Optimization") shown. Each state
# is a fresh start on the default settings (2-second refresh) under Xvfb with trayer as tray
# host; the states are put in place by clicks, as a user does. CPU time is utime + stime of
# /proc/PID/stat for the program and for top, read at the same two moments.
#   bench/idle-cost.sh [BUILD_DIR] [SECONDS] [EXTRA_PROCESSES]
set -euo pipefail
build=$(realpath "${1:-build/release}")
seconds=${2:-60}
extra=${3:-1000}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$seconds" "$extra"
fi
[ -x "$build/shell/norvane" ] || { echo "no program in $build/shell" >&2; exit 1; }

source "$(dirname "$0")/program_session.sh"

for _ in $(seq "$extra"); do
  sleep infinity &
  pids+=($!)
done
start_tray_host

hz=$(getconf CLK_TCK)

# The window opens at (279, 233); the close button lies at (667, 0) in it and hides the window
# to the tray on the default settings, the processes tab at (396, 52).
click() { xdotool mousemove "$1" "$2" click 1; sleep 1; }

measure() {
  local label=$1 home="$bench_work/$1"
  (export_program_home "$home" && exec "$build/shell/norvane" >"$home/program.log" 2>&1) &
  local program=$!
  pids+=("$program")
  for _ in $(seq 100); do window_shown && break; sleep 0.2; done
  window_shown || { echo "$label: no window" >&2; cat "$home/program.log" >&2; exit 1; }
  sleep 3
  case $label in
    tray) click 958 240 ;;
    processes) click 705 293 ;;
  esac
  if [ "$label" = tray ] && window_shown; then echo "$label: the window did not go to the tray" >&2; exit 1; fi
  if [ "$label" != tray ] && ! window_shown; then echo "$label: the window is not shown" >&2; exit 1; fi
  sleep 2

  local p0 t1 p1 ns0 ns1
  p0=$(cpu_ticks "$program")
  ns0=$(date +%s%N)
  top -b -d 2 -n $((seconds / 2 + 2)) >/dev/null &
  local top=$!
  pids+=("$top")
  sleep "$seconds"
  t1=$(cpu_ticks "$top")
  p1=$(cpu_ticks "$program")
  ns1=$(date +%s%N)
  awk -v label="$label" -v prog=$((p1 - p0)) -v top="$t1" -v hz="$hz" -v ns=$((ns1 - ns0)) -v rss="$(rss_kb "$program")" 'BEGIN {
    wall = ns / 1e9
    printf "%-10s norvane %5.2f s CPU (%.3f %%), top %5.2f s CPU (%.3f %%), ratio %.3f, norvane RSS %.1f MiB\n",
           label, prog / hz, 100 * prog / hz / wall, top / hz, 100 * top / hz / wall, (top > 0 ? prog / top : 0), rss / 1024 }'
  kill "$top" "$program" 2>/dev/null || true
  wait "$top" "$program" 2>/dev/null || true
}

echo "program: $build/shell/norvane, $(nproc) processors, load $(cut -d' ' -f1-3 /proc/loadavg), $(ls /proc | grep -c '^[0-9]') processes, ${seconds} s per state"
measure tray
measure overview
measure processes
echo "targets (ratio to top): tray <= 0.25, overview <= 0.5, processes <= 1.0"
