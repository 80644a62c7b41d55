#!/usr/bin/env bash
# The real program as a native client of a headless sway session: window, pages against the
# same pages under X11, corners, drag, tray (StatusNotifierItem in swaybar), close to the tray
# or minimized, raising, hot keys through a fake desktop portal in each of its ways of
# answering, clipboard through data-control, pictures at output scale 2; then the program on
# X11 through XWayland in the same kind of session.
#   program_wayland_test.sh PROGRAM WL_POINTER FAKE_PORTAL PICTURES PART
# PART: program (pages, tray, drag, clipboard, keys, raising, no tray host), portals (each way a
# portal answers) or xwayland (the program through XWayland, and at output scale 2).
# sway refuses to run as root: run as root, the session and the program run as `nobody`, from
# copies in a folder that user can reach. Prints one line per case and "N passed, N failed";
# exit 77 when a tool is missing (skipped).
set -uo pipefail
program=$1 pointer=$2 portal=$3 pictures=$4 part=$5
case $part in
  program | portals | xwayland) ;;
  *) echo "no such part: $part"; exit 2 ;;
esac

for tool in sway swaybar swaymsg grim wl-copy wl-paste dbus-run-session dbus-send python3 convert compare \
  xvfb-run xdotool import setpriv Xwayland; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed (scripts/setup installs it)"; exit 77; }
done

scratch=$(mktemp -d /tmp/norvane-wayland.XXXXXX)
chmod 755 "$scratch"
mkdir -p "$scratch/bin" "$scratch/shots"
cp "$program" "$pointer" "$portal" "$scratch/bin/"
chmod 755 "$scratch/bin" "$scratch/bin"/*
program=$scratch/bin/$(basename "$program") pointer=$scratch/bin/$(basename "$pointer")
portal=$scratch/bin/$(basename "$portal")
if [ "$(id -u)" -eq 0 ]; then
  as_user() { setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"; }
  owner=nobody:nogroup
else
  as_user() { "$@"; }
  owner=$(id -u):$(id -g)
fi
chown "$owner" "$scratch/shots"
chmod 777 "$scratch/shots"

started=()  # every process this test started; they and their children end in every exit path
descendants() { local c; for c in $(ps -o pid= --ppid "$1" 2>/dev/null); do descendants "$c"; echo "$c"; done; }
end_all() {
  local p all=()
  for p in "${started[@]}"; do all+=($(descendants "$p") "$p"); done
  if [ ${#all[@]} -gt 0 ]; then
    kill "${all[@]}" 2>/dev/null
    sleep 0.3
    kill -9 "${all[@]}" 2>/dev/null
  fi
  started=()
  return 0
}
trap 'end_all; rm -rf "$scratch"' EXIT

passed=0 failed=0
check() {  # check NAME COMMAND...
  if "${@:2}"; then
    passed=$((passed + 1)); echo "[  PASSED  ] $1"
  else
    failed=$((failed + 1)); echo "[  FAILED  ] $1"
  fi
}
wait_for() {  # wait_for TENTHS COMMAND...: true once COMMAND succeeds
  local i
  for i in $(seq "$1"); do "${@:2}" && return 0; sleep 0.1; done
  return 1
}
at_most() {  # at_most VALUE LIMIT WHAT
  [ "$1" -le "$2" ] 2>/dev/null && return 0
  echo "    $3: $1 (at most $2)"
  return 1
}

# ---- the three pages under X11 first, as the reference (Xvfb, the program's X11 face) ----
x11_pages() {
  local home=$scratch/x11
  mkdir -p "$home/run" && chmod 700 "$home/run"
  env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$home" XDG_RUNTIME_DIR="$home/run" XDG_CONFIG_HOME="$home/config" \
    XDG_STATE_HOME="$home/state" XDG_CACHE_HOME="$home/cache" NORVANE_UPDATE_HOST=127.0.0.1:9 \
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash -s "$program" "$scratch/shots" <<'X11' &
program=$1 shots=$2
"$program" & pid=$!
for _ in $(seq 100); do xdotool search --onlyvisible --name "Velqor Norvane" >/dev/null 2>&1 && break; sleep 0.1; done
sleep 1.5
# The window opens at (279, 233); the tabs stand at y 52 to 92 of it.
for page in "317 usage" "466 processes" "614 settings"; do
  set -- $page
  xdotool mousemove $((279 + $1)) $((233 + 72)) click 1 mousemove 1200 1000
  sleep 1
  import -window root -crop 710x546+279+233 +repage "$shots/x11-$2.png"
done
kill $pid; wait $pid
X11
  started+=($!)
  wait "${started[-1]}"
  started=()
}

# ---- a sway session with or without swaybar: own runtime folder, home and session bus ----
session=0
# start_session bar|nobar [xwayland] [scale2]: XWayland runs only when asked (its display is
# written to the runtime folder); scale2 doubles a 2560 x 2048 output to the same 1280 x 1024.
start_session() {
  end_all
  session=$((session + 1))
  S=$scratch/session$session
  mkdir -p "$S/home" "$S/run"
  chmod 700 "$S/run"
  chown -R "$owner" "$S"
  {
    case " $* " in
      *" xwayland "*) echo "xwayland enable"; echo 'exec sh -c '"'"'echo "$DISPLAY" > "$XDG_RUNTIME_DIR/display"'"'" ;;
      *) echo "xwayland disable" ;;
    esac
    case " $* " in
      *" scale2 "*) echo "output HEADLESS-1 mode 2560x2048 scale 2 bg #203040 solid_color" ;;
      *) echo "output HEADLESS-1 mode 1280x1024 bg #203040 solid_color" ;;
    esac
    # A window that asks to be raised, with or without a token, is raised and focused.
    echo "focus_on_window_activation focus"
    [ "$1" = bar ] && printf 'bar {\n  position bottom\n  status_command echo ready\n  tray_output *\n}\n'
  } > "$S/config"
  chmod 644 "$S/config"
  as_user env -i HOME="$S/home" XDG_RUNTIME_DIR="$S/run" PATH=/usr/bin:/bin WLR_BACKENDS=headless \
    WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    dbus-run-session -- sh -c 'echo "$DBUS_SESSION_BUS_ADDRESS" > "$XDG_RUNTIME_DIR/bus"; exec sway -c "$0"' "$S/config" \
    > "$S/sway.log" 2>&1 &
  started+=($!)
  wait_for 100 eval '[ -S "$S/run/wayland-1" ] && [ -s "$S/run/bus" ] && ls "$S/run"/sway-ipc.*.sock >/dev/null 2>&1'
}
run() {  # a command inside the session, as its user
  as_user env -i HOME="$S/home" XDG_RUNTIME_DIR="$S/run" PATH=/usr/bin:/bin WAYLAND_DISPLAY=wayland-1 \
    DBUS_SESSION_BUS_ADDRESS="$(cat "$S/run/bus")" SWAYSOCK="$(ls "$S/run"/sway-ipc.*.sock)" \
    NORVANE_UPDATE_HOST=127.0.0.1:9 "$@"
}
start_portal() {  # start_portal MODE [DELAY]: see fake_portal.py; with a delay, returns at once
  run python3 "$portal" "$S/home/portal.log" "$@" > "$S/portal.out" 2>&1 &
  portal_pid=$!
  started+=($portal_pid)
  [ $# -gt 1 ] || wait_for 50 grep -q ready "$S/portal.out"
}
# The program's own process: the one started, or one of its children (a shell or setpriv may
# stand between); its windows are found in sway's tree by it.
program_process() {
  local p
  for p in "$1" $(descendants "$1"); do
    [ "$(cat "/proc/$p/comm" 2>/dev/null)" = norvane ] && { echo "$p"; return 0; }
  done
  return 1
}
start_program() {  # start_program [VARIABLE=VALUE...]; mapped_in_time: the window came within 2 s
  run env "$@" "$program" > "$S/program.log" 2>&1 &
  local launcher=$!
  started+=($launcher)
  program_pid=$launcher
  wait_for 50 eval 'program_pid=$(program_process "$launcher")'
  mapped_in_time=0
  if wait_for 20 window_shown; then mapped_in_time=1; else wait_for 80 window_shown; fi
  sleep 1.5
}
program_ended() { ! kill -0 "$program_pid" 2>/dev/null; }

# The program's windows in sway's tree (the main window, its message boxes, anything else it
# maps), one line each: "x y width height shell visible id focused app_id".
windows() {
  run swaymsg -t get_tree | python3 -c '
import json, sys
def walk(n):
    if n.get("pid") == int(sys.argv[1]) and n.get("type") in ("con", "floating_con"):
        r = n["rect"]
        print(r["x"], r["y"], r["width"], r["height"], n.get("shell"), n.get("visible"), n.get("id"),
              n.get("focused"), n.get("app_id"))
    for c in n.get("nodes", []) + n.get("floating_nodes", []):
        walk(c)
walk(json.load(sys.stdin))' "$program_pid"
}
window() { windows | awk '$3 == 710 && $4 == 546'; }
window_shown() { [ -n "$(window)" ]; }
window_gone() { [ -z "$(window)" ]; }
window_focused() { [ "$(window | awk '{ print $8 }')" = True ]; }
message_box_shown() { [ "$(windows | awk '$3 != 710 || $4 != 546' | wc -l)" -ge 1 ]; }
click() {  # click X Y within the main window
  local wx wy
  read -r wx wy _ < <(window)
  run "$pointer" click $((wx + $1)) $((wy + $2)) && sleep 0.8
}
shoot() {  # shoot NAME: the main window as the screen shows it
  local wx wy ww wh
  read -r wx wy ww wh _ < <(window)
  run grim -g "$wx,$wy ${ww}x$wh" "$scratch/shots/$1.png"
}
pixel() { convert "$scratch/shots/$1.png" -format "%[pixel:p{$2,$3}]" info:; }
# Pixels that differ beyond a trace between two shots, outside the given rectangles (the live
# figures and the corners, which show what lies behind the window).
differing() {  # differing A B [RECT...], RECT as "x0,y0 x1,y1"
  local a=$scratch/shots/$1.png b=$scratch/shots/$2.png draw=() r
  for r in "0,0 12,12" "697,0 709,12" "0,533 12,545" "697,533 709,545" "${@:3}"; do draw+=(-draw "rectangle $r"); done
  convert "$a" -fill black "${draw[@]}" "$scratch/a.png"
  convert "$b" -fill black "${draw[@]}" "$scratch/b.png"
  compare -metric AE -fuzz 10% "$scratch/a.png" "$scratch/b.png" null: 2>&1 | cut -d' ' -f1
}

# The program's StatusNotifierItem, as the watcher lists it: "service path".
sni_item() {
  local item
  item=$(run dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
    org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher string:RegisteredStatusNotifierItems |
    grep -o '"[^"]*"' | tr -d '"' | head -1)
  [ -n "$item" ] || return 1
  case $item in */*) echo "${item%%/*} /${item#*/}" ;; *) echo "$item /StatusNotifierItem" ;; esac
}
sni_get() {  # sni_get PROPERTY
  local service path
  read -r service path < <(sni_item) || return 1
  run dbus-send --session --print-reply --dest="$service" "$path" org.freedesktop.DBus.Properties.Get \
    string:org.kde.StatusNotifierItem string:"$1"
}
sni_activate() {
  local service path
  read -r service path < <(sni_item) || return 1
  run dbus-send --session --print-reply --dest="$service" "$path" org.kde.StatusNotifierItem.Activate int32:10 int32:10 >/dev/null
}
sni_menu() {  # the labels of the exported menu
  local service path menu
  read -r service path < <(sni_item) || return 1
  menu=$(sni_get Menu | grep -o 'object path "[^"]*"' | cut -d'"' -f2)
  run dbus-send --session --print-reply --dest="$service" "$menu" com.canonical.dbusmenu.GetLayout int32:0 int32:-1 \
    array:string:label | grep -A1 '"label"' | grep -o 'string "[^"]*"' | grep -v '"label"' | cut -d'"' -f2
}
activate_shortcut() {
  run dbus-send --session --print-reply --dest=org.freedesktop.portal.Desktop /org/freedesktop/portal/desktop \
    org.norvane.test.FakePortal.Activate string:"$1" >/dev/null
}
close_message_box() {
  local id
  for id in $(windows | awk '$3 != 710 || $4 != 546 { print $7 }'); do run swaymsg "[con_id=$id] kill" >/dev/null; done
  sleep 0.5
}

# The Settings page, selected (its tab turns white) however long the click takes to land.
settings_page() {
  local try
  for try in 1 2 3; do
    click 614 72 && shoot settings-now
    [ "$(convert "$scratch/shots/settings-now.png" -format '%[fx:p{600,80}.b > 0.9]' info:)" = 1 ] && return 0
  done
  return 1
}
# Clipboard: text copied by another client is gone after "Clean Clipboard".
clean_clipboard() {  # clean_clipboard CASE
  run wl-copy --foreground "norvane-secret" &
  started+=($!)
  wait_for 30 eval 'run wl-paste -n 2>/dev/null | grep -q norvane-secret'
  settings_page
  click 469 444
  check "$1: Clean Clipboard's message is shown" wait_for 30 message_box_shown
  check "$1: wl-paste finds nothing after Clean Clipboard" eval '! run wl-paste -n >/dev/null 2>&1'
  close_message_box
}
labels() {  # labels NAME: the four status labels of the Settings page
  settings_page && shoot "settings-$1"
  convert "$scratch/shots/settings-$1.png" -crop 230x110+410+270 +repage "$scratch/shots/labels-$1.png"
}
differs_from() {  # differs_from A B: the label crops differ clearly
  [ "$(compare -metric AE "$scratch/shots/labels-$1.png" "$scratch/shots/labels-$2.png" null: 2>&1 | cut -d' ' -f1)" -gt 500 ]
}
logged() { grep -q "Hot keys not registered: $1" "$S/program.log"; }
logged_once() { [ "$(grep -c "Hot keys not registered: $1" "$S/program.log")" = 1 ]; }
key_works() {  # hot key 1 starts auto-optimization, as the tray menu then says
  activate_shortcut 1331 && wait_for 30 eval 'sni_menu | grep -q "Stop auto optimize"'
}

if [ "$part" = program ]; then
x11_pages

# ================= swaybar as the tray host, a portal that binds =================
start_session bar
start_portal bind
start_program

read -r _ _ ww wh shell _ _ _ app_id < <(window)
check "window: native 710 x 546 xdg_shell window" test "$ww x $wh $shell" = "710 x 546 xdg_shell"
check "window: its app id names the installed desktop entry" test "$app_id" = velqor-norvane
check "window: mapped within 2 s of the start" test "$mapped_in_time" = 1

shoot usage
click 466 72 && shoot processes
click 614 72 && shoot settings
# The hint beside the Start button says more on Wayland.
check "usage page as under X11 but for its live figures and the hint" at_most \
  "$(differing usage x11-usage "28,125 510,300" "525,125 690,290" "27,355 345,475" "415,350 685,432")" 50 \
  "differing pixels"
check "usage page: the hint says that the window in front cannot be told apart" test \
  "$(differing usage x11-usage "0,0 709,349" "0,433 709,545" "0,350 414,432" "686,350 709,432")" -gt 100
check "processes page as under X11 but for the report" at_most \
  "$(differing processes x11-processes "20,190 690,500")" 50 "differing pixels"
check "settings page as under X11" at_most "$(differing settings x11-settings)" 50 "differing pixels"
check "corners show the desktop" test "$(pixel settings 0 0) $(pixel settings 709 0)" = "srgb(32,48,64) srgb(32,48,64)"
check "inside the outline is the window" test "$(pixel settings 12 1)" != "srgb(32,48,64)"

check "portal: one session, the four combinations as preferred triggers" python3 - "$S/home/portal.log" <<'PY'
import json, sys
calls = [json.loads(l) for l in open(sys.argv[1])]
bind = [c for c in calls if c["call"] == "BindShortcuts"]
want = {"1331": "ALT+SHIFT+a", "1332": "ALT+SHIFT+t", "1333": "ALT+SHIFT+m", "1334": "ALT+SHIFT+e"}
ok = calls[0]["call"] == "CreateSession" and len(bind) == 1 and \
     {s[0]: s[1]["preferred_trigger"] for s in bind[0]["shortcuts"]} == want
if not ok: print("    calls:", calls)
sys.exit(0 if ok else 1)
PY
convert "$scratch/shots/settings.png" -crop 230x110+410+270 +repage "$scratch/shots/labels-bound.png"
convert "$scratch/shots/x11-settings.png" -crop 230x110+410+270 +repage "$scratch/shots/labels-x11.png"
check "bound keys show their combinations, as under X11" at_most \
  "$(compare -metric AE -fuzz 10% "$scratch/shots/labels-x11.png" "$scratch/shots/labels-bound.png" null: 2>&1 | cut -d' ' -f1)" 20 \
  "differing pixels"

check "tray: icon registered with the StatusNotifierWatcher" wait_for 50 eval 'sni_item >/dev/null'
check "tray: tip carries the free and total memory, as under X11" eval \
  'sni_get ToolTip | grep -Eq "string \"[0-9]+ MB free of [0-9]+ MB physical memory\""'
check "tray: menu exported with the X11 items" test "$(sni_menu | tr '\n' '|')" = \
  "Open Main Window|Start auto optimize|Overall Opimize|Live update|Exit|"
# The icon stands at the right end of the bar (its last 23 rows), on the bar's black background.
run grim -g "1260,1001 20x23" "$scratch/shots/bar.png"
check "tray: icon drawn in swaybar" test "$(convert "$scratch/shots/bar.png" -fuzz 5% -fill white +opaque black \
  -format '%[fx:round(mean*w*h)]' info:)" -ge 40

# Dragging the title: the compositor moves the window.
read -r wx wy _ < <(window)
run "$pointer" drag $((wx + 150)) $((wy + 30)) $((wx + 250)) $((wy + 80)); sleep 0.8
read -r nx ny _ < <(window)
check "drag by the title moves the window" test "$((nx - wx)),$((ny - wy))" = "100,50"

clean_clipboard clipboard

# Hot keys from the portal: start auto-optimization, tweak memory, open the window, exit.
activate_shortcut 1331
check "hot key 1: auto-optimization started (tray menu says stop)" wait_for 30 eval 'sni_menu | grep -q "Stop auto optimize"'
activate_shortcut 1331
check "hot key 1 again: stopped" wait_for 30 eval 'sni_menu | grep -q "Start auto optimize"'
activate_shortcut 1332
check "hot key 2: the overall optimization asks to go ahead" wait_for 50 message_box_shown
close_message_box  # declined: closing the box answers no

# A window on a workspace the user left is raised and focused by the tray and by the key.
run swaymsg workspace 2 >/dev/null
sni_activate
check "tray activation raises and focuses the shown window" wait_for 100 window_focused
run swaymsg workspace 2 >/dev/null
activate_shortcut 1333
check "hot key 3 raises and focuses the shown window" wait_for 100 window_focused

# The menu is the bar's to draw: a right click on the icon maps no window of the program,
# whether the main window is shown or hidden.
right_click_icon() { run "$pointer" rightclick 1270 1012; sleep 1; }
shown_before=$(windows | wc -l)
right_click_icon
check "right click on the icon with the window shown maps no window" test "$(windows | wc -l)" = "$shown_before"

# Close hides into the tray; activating the icon shows it; the portal's key does too.
click 679 7
check "close with a tray host hides the window" wait_for 30 window_gone
right_click_icon
check "right click on the icon with the window hidden maps no window" test -z "$(windows)"
sni_activate
check "activating the tray icon shows the window" wait_for 30 window_shown
click 679 7
wait_for 30 window_gone
activate_shortcut 1333
check "hot key 3: the hidden window is shown" wait_for 30 window_shown
activate_shortcut 1334
check "hot key 4: the program ends" wait_for 50 program_ended

# ================= no tray host: closing must not lose the window =================
start_session nobar
start_program
click 679 7
sleep 1
check "close without a tray host keeps the window reachable (minimized, not hidden)" window_shown
check "the program runs on" eval '! program_ended'

fi

if [ "$part" = portals ]; then
# ================= every way a portal can answer =================
# The window maps within 2 s whatever the portal does; the labels show what the portal holds;
# each "not register" has its reason in the log; a portal that comes late or restarts binds.
# One session for all: the program and the portal end between the modes.
start_session bar
program_pid= portal_pid=
for mode in bind deny error bare none silent slow own restart; do
  for p in $program_pid $portal_pid; do kill $(descendants "$p") "$p" 2>/dev/null; done
  wait_for 50 program_ended
  program_pid= portal_pid=
  rm -f "$S/home/portal.log"
  case $mode in
    none) ;;
    slow) start_portal bind 10 ;;  # takes its bus name 10 s after the program started
    restart) start_portal bind ;;
    *) start_portal "$mode" ;;
  esac
  start_program
  check "portal $mode: the window maps within 2 s" test "$mapped_in_time" = 1
  case $mode in
    deny) reason="The desktop portal refused the shortcuts" ;;
    error) reason="The desktop portal failed: refused" ;;
    bare) reason="The desktop portal offers no global shortcuts" ;;
    none | slow) reason="No desktop portal runs on the session bus" ;;
    silent) reason="The desktop portal has not answered yet; the keys are bound when it does" ;;
    *) reason= ;;
  esac
  # (A portal that comes 10 s late may come before a loaded machine has taken the screenshot.)
  if [ -n "$reason" ] && [ "$mode" != slow ]; then
    labels "$mode"
    check "portal $mode: the keys read \"not register\"" differs_from bind "$mode"
  fi
  [ -n "$reason" ] && check "portal $mode: the reason is logged once" wait_for 50 logged_once "$reason"
  case $mode in
    slow) check "portal slow: binds once it comes, and the key works" wait_for 150 key_works ;;
    bind) wait_for 50 grep -q BindShortcuts "$S/home/portal.log" && sleep 0.5 && labels bind ;;
    own)
      labels own
      check "portal own: the labels show the portal's triggers, not the ones asked for" eval \
        'differs_from bind own && differs_from deny own' ;;
    restart)
      kill $(descendants "$portal_pid") "$portal_pid"
      check "portal restart: the keys read \"not register\" while it is away" wait_for 50 logged \
        "The desktop portal left the session bus"
      start_portal bind
      check "portal restart: the keys work again" wait_for 50 key_works ;;
  esac
done
check "a refusing, a failing and a missing portal look the same" test \
  "$(compare -metric AE "$scratch/shots/labels-deny.png" "$scratch/shots/labels-error.png" null: 2>&1 | cut -d' ' -f1),$(
     compare -metric AE "$scratch/shots/labels-deny.png" "$scratch/shots/labels-none.png" null: 2>&1 | cut -d' ' -f1)" = "0,0"

fi

if [ "$part" = xwayland ]; then
# ================= through XWayland: Qt on X11, the session's services Wayland's =================
start_session bar xwayland
start_portal bind
wait_for 50 test -s "$S/run/display"
start_program QT_QPA_PLATFORM=xcb DISPLAY="$(cat "$S/run/display")"
read -r _ _ ww wh shell _ < <(window)
check "xwayland: the window runs through XWayland" test "$ww x $wh $shell" = "710 x 546 xwayland"
clean_clipboard xwayland
check "xwayland: the portal binds the keys" wait_for 50 grep -q BindShortcuts "$S/home/portal.log"
check "xwayland: the window is named to the portal as its dialogs' parent" \
  grep -q '"parent_window": "x11:[0-9a-f]*"' "$S/home/portal.log"
check "xwayland: a portal key works" wait_for 30 key_works
check "xwayland: the tray menu is exported over dbusmenu" test "$(sni_menu | tr '\n' '|')" = \
  "Open Main Window|Stop auto optimize|Overall Opimize|Live update|Exit|"
run swaymsg workspace 2 >/dev/null
sni_activate
check "xwayland: tray activation raises and focuses the window" wait_for 100 window_focused
click 679 7
wait_for 30 window_gone
sni_activate
check "xwayland: activating the tray icon opens the window" wait_for 30 window_shown

# ================= output scale 2: pictures drawn for it =================
start_session nobar scale2
start_program
read -r wx wy _ < <(window)
# The logo and the name on the title, clear of the corners, tabs and buttons, in device pixels.
run grim -s 2 -g "$((wx + 14)),$((wy + 4)) 226x46" "$scratch/shots/header-2x.png"
convert "$pictures/Title@2x.jpg" -crop 452x92+28+8 +repage "$scratch/shots/title-2x.png"
convert "$pictures/Title.jpg" -filter point -resize 200% -crop 452x92+28+8 +repage "$scratch/shots/title-doubled.png"
ae() { compare -metric AE -fuzz 10% "$scratch/shots/$1.png" "$scratch/shots/$2.png" null: 2>&1 | cut -d' ' -f1; }
check "scale 2: the header is the picture drawn at 2x" at_most "$(ae header-2x title-2x)" 200 "differing pixels"
check "scale 2: not the 1x picture doubled" test "$(ae header-2x title-doubled)" -gt 2000

fi

end_all
echo "wayland $part: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
