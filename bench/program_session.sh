# Sourced by the bench scripts that run the real program under X: a work folder that goes, with
# every process the script started, when the script ends; a tray host; the program's private
# home; and the figures those scripts read of a running process.
bench_work=$(mktemp -d)
pids=()
bench_cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$bench_work"
}
trap bench_cleanup EXIT
unset QT_QPA_PLATFORM

# trayer at the top right, as the tests use it.
start_tray_host() {
  trayer --edge top --align right --widthtype pixel --width 120 --height 24 --SetDockType true >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
}

# Exports the environment that keeps the program's settings, hives, autostart entry and lock
# inside HOME_DIR, with the update check pointed at a port where nothing answers.
export_program_home() {
  local home=$1
  mkdir -p "$home/run" "$home/registry"
  chmod 700 "$home/run"
  export HOME=$home XDG_RUNTIME_DIR=$home/run XDG_CONFIG_HOME=$home/config XDG_STATE_HOME=$home/state \
    XDG_CACHE_HOME=$home/cache NORVANE_REGISTRY_DIR=$home/registry NORVANE_AUTOSTART_DIR=$home/autostart \
    NORVANE_UPDATE_HOST=127.0.0.1:9
}

# utime + stime of a process, in clock ticks (the name may hold blanks and parentheses).
cpu_ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
rss_kb() { awk '$1 == "VmRSS:" { print $2 }' "/proc/$1/status"; }
window_shown() { xdotool search --onlyvisible --name '^Velqor Norvane$' >/dev/null 2>&1; }
