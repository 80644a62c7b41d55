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

source "$(dirname "$0")/../program_session.sh"
home=$bench_work
export_program_home "$home"
start_tray_host
"$build/shell/norvane" >"$home/program.log" 2>&1 &  # first run: the default settings
program=$!
pids+=($program)
sleep 5  # past the start-up

hz=$(getconf CLK_TCK)
start_ticks=$(cpu_ticks "$program")
start_ns=$(date +%s%N)
top -b -d 2 -n $((seconds / 2 + 1)) >/dev/null &
top_pid=$!
pids+=($top_pid)
sleep "$seconds"
end_ns=$(date +%s%N)
end_ticks=$(cpu_ticks "$program")
top_ticks=$(cpu_ticks "$top_pid")
awk -v t0="$start_ticks" -v t1="$end_ticks" -v tt="$top_ticks" -v hz="$hz" -v ns=$((end_ns - start_ns)) \
    -v rss="$(rss_kb "$program")" -v hwm="$(awk '$1 == "VmHWM:" { print $2 }' "/proc/$program/status")" \
    -v trss="$(rss_kb "$top_pid")" 'BEGIN {
  wall = ns / 1e9; prog = (t1 - t0) / hz; top = tt / hz;
  printf "wall %.1f s\n", wall;
  printf "norvane: cpu %.2f s, share %.3f %%, rss %d kB, peak rss %d kB\n", prog, 100 * prog / wall, rss, hwm;
  printf "top -d 2: cpu %.2f s, share %.3f %%, rss %d kB\n", top, 100 * top / wall, trss;
  printf "cpu ratio norvane/top: %.2f\n", prog / top;
}'
