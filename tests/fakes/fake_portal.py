#!/usr/bin/python3
"""A stand-in for the desktop portal's GlobalShortcuts interface on a private session bus.

Usage: fake_portal.py LOG MODE [DELAY]
  LOG   file that gets one JSON line per call the program made (CreateSession, BindShortcuts, Close)
  MODE  bind   - binds every shortcut asked for, with the trigger asked for
        own    - binds every shortcut, but with a trigger of its own: LOGO+F1, LOGO+F2, ...
        deny   - answers BindShortcuts with response 2 (the portal's refusal)
        error  - answers BindShortcuts with a D-Bus error
        silent - owns its name but never answers any call
        bare   - a portal without the GlobalShortcuts interface
  DELAY seconds to wait before taking the bus name (a portal that starts late)
A test drives it with org.norvane.test.FakePortal.Activate(s id), which emits Activated for
that shortcut in the session bound last, and ChangeTrigger(s id, s trigger), which emits
ShortcutsChanged as a desktop does when its user changes a trigger. It prints "ready" once it
owns its name.
"""
import json
import sys
import time

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

    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="ss", out_signature="v",
                         async_callbacks=("reply", "fail"))
    def Get(self, interface, name, reply, fail):
        if self.mode == "silent":
            return
        if interface == SHORTCUTS and name == "version" and self.mode != "bare":
            return reply(dbus.UInt32(1))
        fail(dbus.exceptions.DBusException("no such interface", name="org.freedesktop.DBus.Error.UnknownInterface"))

    @dbus.service.method(SHORTCUTS, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender=None):
        self.record({"call": "CreateSession", "options": plain(options)})
        if self.mode == "bare":
            raise dbus.exceptions.DBusException("no such interface", name="org.freedesktop.DBus.Error.UnknownMethod")
        token = str(options["session_handle_token"])
        session = "%s/session/%s/%s" % (PATH, sender[1:].replace(".", "_"), token)
        Session(self.bus, session, self)
        return self.answer(sender, str(options["handle_token"]), 0, {"session_handle": dbus.String(session)})

    @dbus.service.method(SHORTCUTS, in_signature="oa(sa{sv})sa{sv}", out_signature="o", sender_keyword="sender")
    def BindShortcuts(self, session, shortcuts, parent_window, options, sender=None):
        self.record({"call": "BindShortcuts", "session": str(session), "shortcuts": plain(shortcuts),
                     "parent_window": str(parent_window)})
        if self.mode == "error":
            raise dbus.exceptions.DBusException("refused", name="org.freedesktop.portal.Error.NotAllowed")
        if self.mode == "deny":
            return self.answer(sender, str(options["handle_token"]), 2, {})
        self.bound_session = session
        triggers = [props.get("preferred_trigger", "") if self.mode == "bind" else "LOGO+F%d" % (n + 1)
                    for n, (sid, props) in enumerate(shortcuts)]
        return self.answer(sender, str(options["handle_token"]), 0,
                           {"shortcuts": self.listing([sid for sid, _ in shortcuts], triggers)})

    @staticmethod
    def listing(ids, triggers):
        return dbus.Array([dbus.Struct((sid, dbus.Dictionary({"trigger_description": trigger}, signature="sv")))
                           for sid, trigger in zip(ids, triggers)], signature="(sa{sv})")

    @dbus.service.signal(SHORTCUTS, signature="oa(sa{sv})")
    def ShortcutsChanged(self, session_handle, shortcuts):
        pass

    @dbus.service.method("org.norvane.test.FakePortal", in_signature="ss", out_signature="")
    def ChangeTrigger(self, shortcut_id, trigger):
        if self.bound_session is None:
            raise dbus.exceptions.DBusException("nothing bound", name="org.freedesktop.DBus.Error.Failed")
        self.ShortcutsChanged(self.bound_session, self.listing([shortcut_id], [trigger]))

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
    if len(sys.argv) > 3:
        time.sleep(float(sys.argv[3]))
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
