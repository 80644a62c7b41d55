#!/usr/bin/env bash
# Soak run of the dashboard: the real program, and the same window in soak_harness (which can
# also count the report's rows), both refreshing every second under Xvfb with trayer as tray
# host. Every SAMPLE seconds it writes what must not grow with running time.
#   bench/refresh/soak.sh [BUILD_DIR] [SECONDS] [SAMPLE]
set -euo pipefail
build=${1:-build/release}
seconds=${2:-600}
sample=${3:-30}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$seconds" "$sample"
fi

source "$(dirname "$0")/../program_session.sh"
home=$bench_work
export_program_home "$home"
# The options of the settings record: auto refresh every second; the window stays shown.
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Norvane]\r\n"NvSetInfo"=hex:00,00,00,00,01,00,00,00,01,00,00,00,46,00,00,00,00,01,00,00,01,00,00,00,00,01,00,00\r\n' \
  >"$home/registry/HKEY_LOCAL_MACHINE.reg"

start_tray_host
"$build/shell/norvane" >"$home/program.log" 2>&1 &
program=$!
pids+=($program)
# The harness has its own single-instance-free start; it shares the settings.
"$build/bench/soak_harness" "$seconds" "$sample" >"$home/harness.log" 2>&1 &
harness=$!
pids+=($harness)

field() { awk -v f="$1:" '$1 == f { print $2 }' "/proc/$program/status"; }
xres() { xrestop -b -m 1 | awk -v pid="$program" '
  /PID:/ { mine = ($0 ~ "PID: *" pid " ") }
  mine && /^\twindows/ { w = $3 } mine && /^\tpixmaps/ { p = $3 } mine && /^\tpixmap bytes/ { b = $4 }
  END { print w + 0, p + 0, b + 0 }'; }
icons() { xwininfo -root -tree | grep -c '^ \{6,\}0x[0-9a-f]* "Velqor Norvane": ("norvane"' || true; }

echo "program: seconds rss_kb hwm_kb fds threads x_windows x_pixmaps x_pixmap_bytes tray_icons_embedded cpu_ticks"
for ((t = sample; t <= seconds; t += sample)); do
  sleep "$sample"
  kill -0 "$program" 2>/dev/null || { echo "the program ended"; exit 1; }
  ticks=$(awk '{ print $14 + $15 }' "/proc/$program/stat")
  echo "program: $t $(field VmRSS) $(field VmHWM) $(ls "/proc/$program/fd" | wc -l) $(field Threads) $(xres) $(icons) $ticks"
done
wait "$harness" || true
sed 's/^/harness: /' "$home/harness.log" | grep -v -e 'QStandardPaths' -e 'qt\.' || true
