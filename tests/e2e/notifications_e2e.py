"""A notification server of our own on a private session bus (python3-dbus) for the main window's desktop notifications: it keeps
every Notify call as a JSON line in $SENTROVA_NOTICES and answers each with a click (ActionInvoked "default"). Usage:
dbus-run-session -- notifications_e2e.py TEST ARGS...; the test runs as its child, and the bus and this server end with it."""
import json
import os
import subprocess
import sys
import tempfile

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

NAME = "org.freedesktop.Notifications"


class Notifications(dbus.service.Object):
    last = 0

    @dbus.service.method(NAME, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        self.last += 1
        with open(log, "a", encoding="utf-8") as out:
            out.write(json.dumps([str(app), str(icon), str(summary), str(body), [str(a) for a in actions]], ensure_ascii=False) + "\n")
        GLib.timeout_add(50, self.ActionInvoked, dbus.UInt32(self.last), "default")
        return self.last

    @dbus.service.signal(NAME, signature="us")
    def ActionInvoked(self, notification, action):
        return False


dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
log = os.path.join(tempfile.mkdtemp(), "notices.jsonl")
server = Notifications(dbus.service.BusName(NAME, dbus.SessionBus()), "/org/freedesktop/Notifications")
loop, status = GLib.MainLoop(), [1]
test = subprocess.Popen(sys.argv[1:], env=dict(os.environ, SENTROVA_NOTICES=log, QT_QPA_PLATFORM="offscreen"))


def ended(pid, code):
    status[0] = os.waitstatus_to_exitcode(code)
    loop.quit()


GLib.child_watch_add(test.pid, ended)
loop.run()
sys.exit(status[0])
