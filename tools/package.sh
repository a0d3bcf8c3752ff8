#!/usr/bin/env bash
# Makes the Debian package in a build folder and checks it: the menu entry,
# the AppStream data and the package pass their validators, and the program,
# unpacked into a temporary root and started offscreen from a read-only copy
# with a temporary home, writes its start-up log into that home's
# ~/.local/share/Sentrova. Usage: tools/package.sh [BUILD_DIR]  (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
rm -f "$build"/sentrova_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/sentrova_*.deb)
desktop-file-validate packaging/sentrova.desktop
appstreamcli validate --no-net packaging/com.example.sentrova.metainfo.xml
report=$(lintian --fail-on error,warning "$deb" 2>&1) || { echo "$report"; echo "lintian: errors or warnings"; exit 1; }

work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null && timeout 10 tail --pid="$pid" -f /dev/null; chmod -R u+w "$work"; rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work/root"
mkdir "$work/home"
run=(env -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$work/home" QT_QPA_PLATFORM=offscreen)
if [ "$(id -u)" = 0 ]; then
  # Root writes through any permission: the copy is a read-only mount.
  unshare --mount --propagation private sh -c 'mount --bind "$1" "$1" && mount -o remount,bind,ro "$1" && shift && exec "$@"' \
    _ "$work/root" "${run[@]}" "$work/root/usr/bin/sentrova" &
else
  chmod -R a-w "$work/root"
  "${run[@]}" "$work/root/usr/bin/sentrova" &
fi
pid=$!
log="$work/home/.local/share/Sentrova/Sentrova.Log"
for _ in $(seq 100); do
  [ -s "$log" ] && iconv -f CP932 -t UTF-8 "$log" | grep -q "Sentrova起動完了" && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
iconv -f CP932 -t UTF-8 "$log" | grep "Sentrova起動完了" || { echo "no start-up log in $log"; exit 1; }
[ -z "$(find "$work/root" -name 'Sentrova.*')" ] || { echo "files written beside the program"; exit 1; }
echo "package $deb: checked"
