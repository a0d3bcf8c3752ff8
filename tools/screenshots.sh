#!/usr/bin/env bash
# Builds the program, starts it under Xvfb on a sample host list and saves a
# picture of the main window while monitoring (also maximised), of the whole
# screen with the tray icon and the first pass's notification, of each window
# its menu opens and of the folder chooser into docs/screenshots/. Then it adds a host and deletes one through
# the host dialog while monitoring runs, and checks that the next pass probes
# the new host and that "Sentrova.ini" and the main grid follow the edits.
#
# The sample list holds a loopback listener (running), a closed loopback port
# and an unresolvable name under .invalid (both down). Nothing outside this
# machine is contacted; the settings and the log go to a temporary folder.
#
# Usage: tools/screenshots.sh [DISPLAY_NUMBER]   (default 96)
set -euo pipefail
cd "$(dirname "$0")/.."
display=":${1:-96}"
out="docs/screenshots"

tools/build.sh build Release sentrova
tools/build.sh build Release sentrova_screenshots

work="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# A listener that accepts on a free loopback port until it is stopped.
python3 -u -c '
import signal, socket
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(16)
print(s.getsockname()[1])
signal.signal(signal.SIGTERM, lambda *a: exit(0))
while True:
    c, _ = s.accept()
    c.close()
' >"$work/open-port" &
pids+=($!)
# A port that was free a moment ago: nothing listens there.
closed_port="$(python3 -c '
import socket
s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()')"
for _ in $(seq 50); do [ -s "$work/open-port" ] && break; sleep 0.1; done
open_port="$(cat "$work/open-port")"

mkdir -p "$work/program" "$work/config/Sentrova"
# A short interval, so that the edits made in the host dialog are probed soon.
printf '[Interval]\nSec=5\n' >"$work/config/Sentrova/Sentrova.conf"
printf '"127.0.0.1","%s"\r\n"127.0.0.1","%s"\r\n"nohost.invalid","80"\r\n' \
  "$open_port" "$closed_port" >"$work/program/Sentrova.ini"

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done

# The desktop around the program, where installed (openbox, trayer, dunst):
# a window manager to maximise the window, a tray and a notification server
# on a private session bus.
bus="$(dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1)"
export DBUS_SESSION_BUS_ADDRESS="${bus%%$'\n'*}"
pids+=("${bus##*$'\n'}")
for desktop in "openbox" "trayer --edge bottom --align right --widthtype request --height 28 --transparent false" "dunst"; do
  if command -v "${desktop%% *}" >/dev/null; then
    DISPLAY="$display" $desktop >/dev/null 2>&1 &
    pids+=($!)
  fi
done
sleep 1   # the tray must be there before the program looks for it

mkdir -p "$out"
DISPLAY="$display" QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$work/config" \
  build/tools/sentrova_screenshots "$work/program" "$out" 5 || status=$?
echo "Log of the run:"
iconv -f CP932 -t UTF-8 "$work/program/Sentrova.Log" 2>/dev/null || true
exit "${status:-0}"
