#!/usr/bin/env bash
# Installs the Debian 12 packages that are missing. Usage: tools/deps.sh run|test
set -euo pipefail

# Qt's own Japanese texts for its dialogs; libxcb1-dev for the display check,
# libicu-dev for the test that takes the code page 932 converter away.
build=(cmake ninja-build g++ qt6-base-dev qtkeychain-qt6-dev libgl-dev libxcb1-dev libicu-dev fonts-ipafont-gothic
       qt6-translations-l10n)
# Real peers for the end-to-end tests: two SMTP servers, a session bus, a keyring, a web server and a
# browser, all started on loopback by the tests themselves; strace injects a
# failing rename; the package is made and checked with Debian's own tools;
# clang-format checks the layout of the sources.
testing=(xvfb xauth python3-aiosmtpd dbus-daemon python3-dbus python3-gi gnome-keyring libglib2.0-bin openssl exim4-daemon-light nginx-light chromium strace iproute2 clang-format
         dpkg-dev lintian appstream desktop-file-utils)

wanted=("${build[@]}")
[ "${1:-run}" = test ] && wanted+=("${testing[@]}")

missing=()
for pkg in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
