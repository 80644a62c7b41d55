#!/usr/bin/env bash
# The running program's CPU share and resident memory at the default 2-second refresh, beside
# `top -d 2` over the same time, under Xvfb with trayer as tray host.
#   bench/refresh/cpu_share.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
build=${1:-build/release}
seconds=${2:-300}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$seconds"
fi

home=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$home"
}
trap cleanup EXIT
mkdir -p "$home/run" "$home/registry"
chmod 700 "$home/run"
export HOME=$home XDG_RUNTIME_DIR=$home/run XDG_CONFIG_HOME=$home/config XDG_STATE_HOME=$home/state \
  XDG_CACHE_HOME=$home/cache NORVANE_REGISTRY_DIR=$home/registry NORVANE_AUTOSTART_DIR=$home/autostart \
  NORVANE_UPDATE_HOST=127.0.0.1:9
unset QT_QPA_PLATFORM

trayer --edge top --align right --widthtype pixel --width 120 --height 24 --SetDockType true >/dev/null 2>&1 &
pids+=($!)
sleep 1
"$build/shell/norvane" >"$home/program.log" 2>&1 &  # first run: the default settings
program=$!
pids+=($program)
sleep 5  # past the start-up

hz=$(getconf CLK_TCK)
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
rss() { awk '$1 == "VmRSS:" { print $2 }' "/proc/$1/status"; }
start_ticks=$(ticks "$program")
start_ns=$(date +%s%N)
top -b -d 2 -n $((seconds / 2 + 1)) >/dev/null &
top_pid=$!
pids+=($top_pid)
sleep "$seconds"
end_ns=$(date +%s%N)
end_ticks=$(ticks "$program")
top_ticks=$(ticks "$top_pid")
awk -v t0="$start_ticks" -v t1="$end_ticks" -v tt="$top_ticks" -v hz="$hz" -v ns=$((end_ns - start_ns)) \
    -v rss="$(rss "$program")" -v hwm="$(awk '$1 == "VmHWM:" { print $2 }' "/proc/$program/status")" \
    -v trss="$(rss "$top_pid")" 'BEGIN {
  wall = ns / 1e9; prog = (t1 - t0) / hz; top = tt / hz;
  printf "wall %.1f s\n", wall;
  printf "norvane: cpu %.2f s, share %.3f %%, rss %d kB, peak rss %d kB\n", prog, 100 * prog / wall, rss, hwm;
  printf "top -d 2: cpu %.2f s, share %.3f %%, rss %d kB\n", top, 100 * top / wall, trss;
  printf "cpu ratio norvane/top: %.2f\n", prog / top;
}'
