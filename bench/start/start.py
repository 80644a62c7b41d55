#!/usr/bin/python3
"""Time from process start to the first window shown: the program beside a minimal Qt Widgets
program that shows one window, on the same platform, in the same run; under X11 (Xvfb) and
Wayland (headless sway). The window counts as shown when the display server maps it: X11's
MapNotify on the root window (xev), sway's "new" window event (swaymsg subscribe).

  bench/start/start.py BUILD_DIR [ROUNDS]      (default build/ci, 10 rounds)

Run as root, the sway session and both programs run as nobody from copies in a folder that user
can reach (sway refuses root). Prints the median of each and the ratio; the target is at most 2.
"""
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

build = sys.argv[1] if len(sys.argv) > 1 else "build/ci"
rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 10
scratch = tempfile.mkdtemp(prefix="norvane-start.")
os.chmod(scratch, 0o755)
# The fetcher beside the program, as an install has it, so that the start-up's update check runs.
for name, path in (("norvane", "shell/norvane"), ("norvane-fetch", "shell/norvane-fetch"),
                   ("minimal", "bench/bench_start_minimal")):
    shutil.copy(os.path.join(build, path), os.path.join(scratch, name))
    os.chmod(os.path.join(scratch, name), 0o755)
as_root = os.geteuid() == 0
user = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"] if as_root else []
started = []


def start(argv, **kw):
    p = subprocess.Popen(argv, start_new_session=True, **kw)
    started.append(p)
    return p


def end(p):
    try:
        os.killpg(p.pid, signal.SIGTERM)
        p.wait(5)
    except (ProcessLookupError, subprocess.TimeoutExpired):
        try:
            os.killpg(p.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
    p.wait()


def first_map(events, needle, argv, env):
    """Seconds from starting argv until `events` prints a line containing needle."""
    t0 = time.monotonic()
    program = start(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for line in events.stdout:
        if needle in line:
            elapsed = time.monotonic() - t0
            break
    else:
        raise RuntimeError("the event stream ended before the window was shown")
    end(program)
    return elapsed


def home(tag):
    h = tempfile.mkdtemp(prefix=tag, dir=scratch)
    os.makedirs(os.path.join(h, "run"), mode=0o700)
    if as_root:
        subprocess.run(["chown", "-R", "nobody:nogroup", h], check=True)
    return h


def program_env(h, extra):
    env = {"HOME": h, "XDG_RUNTIME_DIR": os.path.join(h, "run"), "XDG_CACHE_HOME": os.path.join(h, "cache"),
           "PATH": "/usr/bin:/bin",
           "NORVANE_UPDATE_HOST": "127.0.0.1:9"}
    env.update(extra)
    return env


def measure(events_argv, needle, display_env, run_as):
    """Alternates the program and the minimal window, each in a fresh home."""
    figures = {"norvane": [], "minimal": []}
    for _ in range(rounds):
        for name in figures:
            events = start(events_argv, stdout=subprocess.PIPE, text=True, env=display_env)
            time.sleep(0.3)  # subscribed before the program starts
            h = home(name)
            figures[name].append(first_map(events, needle, run_as + [os.path.join(scratch, name)],
                                           program_env(h, display_env)))
            end(events)
            time.sleep(0.3)
    return figures


def report(platform, figures):
    n, m = statistics.median(figures["norvane"]), statistics.median(figures["minimal"])
    print(f"{platform}: program {n * 1000:.0f} ms, minimal Qt window {m * 1000:.0f} ms (medians of {rounds}), "
          f"ratio {n / m:.2f} (target <= 2)")


try:
    # ---- X11: Xvfb, as the calling user ----
    xvfb = start(["Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                 stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    x11 = {"DISPLAY": ":" + xvfb.stdout.readline().strip(), "PATH": "/usr/bin:/bin"}
    report("X11", measure(["xev", "-root", "-event", "substructure"], "MapNotify", x11, []))
    end(xvfb)

    # ---- Wayland: headless sway on its own session bus ----
    s = home("sway")
    with open(os.path.join(scratch, "sway.config"), "w") as f:
        f.write("xwayland disable\noutput HEADLESS-1 mode 1280x1024\n")
    sway_env = {"HOME": s, "XDG_RUNTIME_DIR": os.path.join(s, "run"), "PATH": "/usr/bin:/bin",
                "WLR_BACKENDS": "headless", "WLR_RENDERER": "pixman", "WLR_LIBINPUT_NO_DEVICES": "1"}
    sway = start(user + ["dbus-run-session", "--", "sh", "-c",
                         'echo "$DBUS_SESSION_BUS_ADDRESS" > "$XDG_RUNTIME_DIR/bus"; exec sway -c "$0"',
                         os.path.join(scratch, "sway.config")], env=sway_env, stderr=subprocess.DEVNULL)
    run = os.path.join(s, "run")
    for _ in range(100):
        socks = [f for f in os.listdir(run) if f.startswith("sway-ipc")] if os.access(run, os.R_OK) else []
        if os.path.exists(os.path.join(run, "wayland-1")) and socks and os.path.exists(os.path.join(run, "bus")):
            break
        time.sleep(0.1)
    wayland = {"WAYLAND_DISPLAY": os.path.join(run, "wayland-1"), "SWAYSOCK": os.path.join(run, socks[0]),
               "DBUS_SESSION_BUS_ADDRESS": open(os.path.join(run, "bus")).read().strip(), "PATH": "/usr/bin:/bin",
               "XDG_RUNTIME_DIR": run}
    report("Wayland", measure(user + ["env"] + [f"{k}={v}" for k, v in wayland.items()] +
                              ["swaymsg", "-t", "subscribe", "-m", '["window"]'], '"change": "new"', wayland, user))
    end(sway)
finally:
    for p in started:
        if p.poll() is None:
            end(p)
    shutil.rmtree(scratch, ignore_errors=True)
