#!/usr/bin/env bash
# What the running program costs while it waits, beside `top -b -d 2` over the same minute,
# with extra idle processes on the system, in four states: the window hidden in the tray, the
# usage page ("System Overview") shown, the processes page ("Optimization") shown, and hidden
# in the tray again with a zram swap device active ("tray-swap"; the bench makes the device
# and removes it however it ends; root only). Each state is a fresh start on the default
# settings (2-second refresh) under Xvfb with trayer as tray host; the states are put in place
# by clicks, as a user does. CPU time is utime + stime of /proc/PID/stat for the program and
# for top, read at the same two moments; major faults are the program's own (majflt).
#   bench/idle-cost.sh [BUILD_DIR] [SECONDS] [EXTRA_PROCESSES] [STATES]
set -euo pipefail
build=$(realpath "${1:-build/release}")
seconds=${2:-60}
extra=${3:-1000}
states=${4:-tray overview processes tray-swap}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" "$build" "$seconds" "$extra" "$states"
fi
[ -x "$build/shell/norvane" ] || { echo "no program in $build/shell" >&2; exit 1; }

source "$(dirname "$0")/program_session.sh"

# A 4 GiB zram swap device of the bench's own, above any swap the machine has, removed however
# the bench ends. False, with the reason in $why, when it cannot be made.
zram=
why=
swap_off() {
  [ -n "$zram" ] || return 0
  swapoff "/dev/zram$zram" 2>/dev/null || true
  echo 1 >"/sys/block/zram$zram/reset" 2>/dev/null || true
  echo "$zram" >/sys/class/zram-control/hot_remove 2>/dev/null || echo "zram$zram could not be removed" >&2
  zram=
}
swap_on() {
  [ "$(id -u)" = 0 ] || { why="a swap device can only be made by root"; return 1; }
  [ -w /sys/class/zram-control/hot_add ] || { why="the kernel offers no zram devices"; return 1; }
  zram=$(cat /sys/class/zram-control/hot_add)
  echo 4G >"/sys/block/zram$zram/disksize" && mkswap "/dev/zram$zram" >/dev/null &&
    swapon -p 32767 "/dev/zram$zram" || { why="zram$zram could not be made swap"; return 1; }
}
trap 'swap_off; bench_cleanup' EXIT
trap 'exit 130' INT TERM HUP

for _ in $(seq "$extra"); do
  sleep infinity &
  pids+=($!)
done
start_tray_host

hz=$(getconf CLK_TCK)
major_faults() { sed 's/.*) //' "/proc/$1/stat" | awk '{ print $10 }'; }

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
    tray*) click 958 240 ;;
    processes) click 705 293 ;;
  esac
  case $label in
    tray*) if window_shown; then echo "$label: the window did not go to the tray" >&2; exit 1; fi ;;
    *) if ! window_shown; then echo "$label: the window is not shown" >&2; exit 1; fi ;;
  esac
  sleep 2

  local p0 t1 p1 ns0 ns1 f0
  p0=$(cpu_ticks "$program")
  f0=$(major_faults "$program")
  ns0=$(date +%s%N)
  top -b -d 2 -n $((seconds / 2 + 2)) >/dev/null &
  local top=$!
  pids+=("$top")
  sleep "$seconds"
  t1=$(cpu_ticks "$top")
  p1=$(cpu_ticks "$program")
  ns1=$(date +%s%N)
  awk -v label="$label" -v prog=$((p1 - p0)) -v top="$t1" -v hz="$hz" -v ns=$((ns1 - ns0)) -v rss="$(rss_kb "$program")" \
    -v faults=$(($(major_faults "$program") - f0)) 'BEGIN {
    wall = ns / 1e9
    printf "%-10s norvane %5.2f s CPU (%.3f %%), top %5.2f s CPU (%.3f %%), ratio %.3f, norvane RSS %.1f MiB, %d major faults\n",
           label, prog / hz, 100 * prog / hz / wall, top / hz, 100 * top / hz / wall, (top > 0 ? prog / top : 0), rss / 1024, faults }'
  kill "$top" "$program" 2>/dev/null || true
  wait "$top" "$program" 2>/dev/null || true
}

echo "program: $build/shell/norvane, $(nproc) processors, load $(cut -d' ' -f1-3 /proc/loadavg), $(ls /proc | grep -c '^[0-9]') processes, ${seconds} s per state"
for state in $states; do
  if [ "$state" = tray-swap ]; then
    if ! swap_on; then
      echo "tray-swap: skipped: $why"
      swap_off
      continue
    fi
    measure "$state"
    swap_off
  else
    measure "$state"
  fi
done
echo "targets (ratio to top): tray and tray-swap <= 0.1, overview <= 0.5, processes <= 1.0"
