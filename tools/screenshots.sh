#!/usr/bin/env bash
# Takes a screenshot of each of the three pages of the main window under a virtual X display
# and writes docs/usage.png, docs/processes.png and docs/settings.png.
#   tools/screenshots.sh [build folder]        (default: build/window)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/window}
binary=$build/shell/norvane
[ -x "$binary" ] || { echo "no $binary: build the target norvane first" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/run"
export HOME=$scratch XDG_RUNTIME_DIR=$scratch/run XDG_CONFIG_HOME=$scratch/config XDG_STATE_HOME=$scratch/state \
  XDG_CACHE_HOME=$scratch/cache NORVANE_REGISTRY_DIR=$scratch/registry NORVANE_AUTOSTART_DIR=$scratch/autostart \
  NORVANE_UPDATE_HOST=127.0.0.1:9
unset QT_QPA_PLATFORM

xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash -s "$binary" "$PWD/docs" <<'SESSION'
set -euo pipefail
binary=$1 docs=$2
"$binary" &
pid=$!
for _ in $(seq 100); do
  xdotool search --onlyvisible --name "Velqor Norvane" >/dev/null 2>&1 && break
  sleep 0.1
done
# The window opens at (279, 233); the tabs stand at y 52 to 92 of it.
left=279 top=233
shoot() {
  xdotool mousemove $((left + $1)) $((top + 72)) click 1
  xdotool mousemove 1200 1000
  sleep "$2"
  import -window root -crop 730x566+$((left - 10))+$((top - 10)) +repage "$docs/$3"
}
sleep 1
shoot 317 7 usage.png
shoot 466 2 processes.png
shoot 614 1 settings.png
kill "$pid"
wait "$pid" || true
SESSION
echo "written: docs/usage.png docs/processes.png docs/settings.png"
