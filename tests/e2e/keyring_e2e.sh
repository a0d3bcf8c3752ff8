#!/usr/bin/env bash
# The mail account's password in a real secret store: GNOME Keyring, unlocked, on a private session
# bus, under a home of its own. Usage: keyring_e2e.sh TEST [ARGS...]; skipped (77) without the keyring.
set -euo pipefail
command -v gnome-keyring-daemon >/dev/null && command -v gdbus >/dev/null || exit 77
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
HOME="$home" XDG_RUNTIME_DIR="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" \
  dbus-run-session -- bash -c '
    printf test | gnome-keyring-daemon --foreground --unlock --components=secrets >/dev/null 2>&1 &
    trap "kill $!" EXIT
    gdbus wait --session --timeout 20 org.freedesktop.secrets
    SENTROVA_KEYRING=1 QT_QPA_PLATFORM=offscreen "$@"' keyring "$@"
