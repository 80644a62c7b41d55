#!/usr/bin/python3
"""A stand-in for the desktop portal's GlobalShortcuts interface on a private session bus.

Usage: fake_portal.py LOG MODE
  LOG   file that gets one JSON line per call the program made (CreateSession, BindShortcuts, Close)
  MODE  bind  - binds every shortcut asked for
        deny  - answers BindShortcuts with response 2 (the portal's refusal)
        error - answers BindShortcuts with a D-Bus error
A test drives it with org.norvane.test.FakePortal.Activate(s id), which emits Activated for
that shortcut in the session bound last. It prints "ready" once it owns its name.
"""
import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

PATH = "/org/freedesktop/portal/desktop"
SHORTCUTS = "org.freedesktop.portal.GlobalShortcuts"


def plain(value):
    """D-Bus values as JSON-friendly Python values."""
    if isinstance(value, dict):
        return {str(k): plain(v) for k, v in value.items()}
    if isinstance(value, (list, tuple)):
        return [plain(v) for v in value]
    if isinstance(value, (dbus.Boolean, bool)):
        return bool(value)
    if isinstance(value, (int, dbus.Byte)):
        return int(value)
    return str(value)


class Request(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, response, results):
        pass


class Session(dbus.service.Object):
    def __init__(self, bus, path, portal):
        super().__init__(bus, path)
        self.path, self.portal = path, portal

    @dbus.service.method("org.freedesktop.portal.Session", in_signature="", out_signature="")
    def Close(self):
        self.portal.record({"call": "Close", "session": self.path})
        self.remove_from_connection()


class Portal(dbus.service.Object):
    def __init__(self, bus, log, mode):
        super().__init__(bus, PATH)
        self.bus, self.log, self.mode = bus, log, mode
        self.bound_session = None

    def record(self, entry):
        with open(self.log, "a") as f:
            f.write(json.dumps(entry) + "\n")

    def answer(self, sender, token, response, results):
        path = "%s/request/%s/%s" % (PATH, sender[1:].replace(".", "_"), token)
        request = Request(self.bus, path)

        def send():
            request.Response(dbus.UInt32(response), dbus.Dictionary(results, signature="sv"))
            request.remove_from_connection()
            return False

        # After the method's reply, as a real portal answers.
        GLib.timeout_add(20, send)
        return dbus.ObjectPath(path)

    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if interface == SHORTCUTS and name == "version":
            return dbus.UInt32(1)
        raise dbus.exceptions.DBusException("no such property", name="org.freedesktop.DBus.Error.InvalidArgs")

    @dbus.service.method(SHORTCUTS, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender=None):
        self.record({"call": "CreateSession", "options": plain(options)})
        token = str(options["session_handle_token"])
        session = "%s/session/%s/%s" % (PATH, sender[1:].replace(".", "_"), token)
        Session(self.bus, session, self)
        return self.answer(sender, str(options["handle_token"]), 0, {"session_handle": dbus.String(session)})

    @dbus.service.method(SHORTCUTS, in_signature="oa(sa{sv})sa{sv}", out_signature="o", sender_keyword="sender")
    def BindShortcuts(self, session, shortcuts, parent_window, options, sender=None):
        self.record({"call": "BindShortcuts", "session": str(session), "shortcuts": plain(shortcuts)})
        if self.mode == "error":
            raise dbus.exceptions.DBusException("refused", name="org.freedesktop.portal.Error.NotAllowed")
        if self.mode == "deny":
            return self.answer(sender, str(options["handle_token"]), 2, {})
        self.bound_session = session
        bound = dbus.Array(
            [dbus.Struct((sid, dbus.Dictionary({"trigger_description": props.get("preferred_trigger", "")},
                                               signature="sv"))) for sid, props in shortcuts],
            signature="(sa{sv})")
        return self.answer(sender, str(options["handle_token"]), 0, {"shortcuts": bound})

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Activated(self, session_handle, shortcut_id, timestamp, options):
        pass

    @dbus.service.method("org.norvane.test.FakePortal", in_signature="s", out_signature="")
    def Activate(self, shortcut_id):
        if self.bound_session is None:
            raise dbus.exceptions.DBusException("nothing bound", name="org.freedesktop.DBus.Error.Failed")
        self.Activated(self.bound_session, shortcut_id, dbus.UInt64(0), dbus.Dictionary({}, signature="sv"))


def main():
    log, mode = sys.argv[1], sys.argv[2]
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus, do_not_queue=True)
    Portal(bus, log, mode)
    print("ready", flush=True)
    loop = GLib.MainLoop()
    bus.call_on_disconnection(lambda *_: loop.quit())
    loop.run()
    del name


if __name__ == "__main__":
    main()
