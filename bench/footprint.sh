#!/usr/bin/env bash
# The program's idle footprint: starts the real program under Xvfb, lets it settle, then
# samples its resident memory every second and its CPU time over the idle window; once with
# the once-a-second self-trim running and once with NORVANE_SELF_TRIM=0.
#
#   bench/footprint.sh [path/to/norvane] [idle seconds, default 60]
set -euo pipefail

binary=$(realpath "${1:-build/system/release/shell/norvane}")
seconds=${2:-60}
settle=5
[ -x "$binary" ] || { echo "no program at $binary" >&2; exit 1; }

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A display of its own, so that nothing else on a shared machine draws into the figures.
mkfifo "$work/display"
exec {displayfd}<>"$work/display"
Xvfb -displayfd "$displayfd" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
read -r -t 10 display <&"$displayfd" || { echo "Xvfb did not start" >&2; exit 1; }

clock_ticks=$(getconf CLK_TCK)

# utime + stime in clock ticks, counted after the last ')' so that no name can shift them.
cpu_ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }

measure() {
  local label=$1; shift
  local home="$work/$label"
  mkdir -p "$home/registry" "$home/run" "$home/config"
  chmod 700 "$home/run"
  env "$@" DISPLAY=":$display" NORVANE_REGISTRY_DIR="$home/registry" XDG_RUNTIME_DIR="$home/run" \
    XDG_CONFIG_HOME="$home/config" QT_QPA_PLATFORM=xcb "$binary" >"$home/out.log" 2>&1 &
  local pid=$!
  sleep "$settle"
  kill -0 "$pid" 2>/dev/null || { echo "$label: the program ended early" >&2; cat "$home/out.log" >&2; exit 1; }

  local cpu_start cpu_end samples=0 total=0 peak=0 rss
  cpu_start=$(cpu_ticks "$pid")
  for _ in $(seq "$seconds"); do
    sleep 1
    rss=$(rss_kb "$pid")
    samples=$((samples + 1)); total=$((total + rss))
    [ "$rss" -gt "$peak" ] && peak=$rss
  done
  cpu_end=$(cpu_ticks "$pid")
  kill "$pid"; wait "$pid" 2>/dev/null || true

  awk -v label="$label" -v avg=$((total / samples)) -v peak="$peak" -v last="$rss" \
      -v cpu=$((cpu_end - cpu_start)) -v hz="$clock_ticks" -v secs="$seconds" 'BEGIN {
    printf "%-16s RSS avg %6.1f MiB  peak %6.1f MiB  last %6.1f MiB   CPU %6.2f s in %d s (%.2f %%)\n",
           label, avg / 1024, peak / 1024, last / 1024, cpu / hz, secs, 100 * cpu / hz / secs }'
}

echo "program: $binary, idle ${seconds} s after ${settle} s to settle"
measure self-trim
measure no-self-trim NORVANE_SELF_TRIM=0
