#!/bin/bash
# Runs a test with what only root can stage, in mount and network namespaces of its own; exit status 77
# (a skip for CTest) when it cannot be staged. Usage: mounted_faults.sh EXECUTABLE [ARGUMENTS...]
# SENTROVA_FULL_DIR: a 64 KiB tmpfs holding a file "old", filled up. SENTROVA_RO_DIR: an empty read-only folder.
# SENTROVA_LOCKED_DIR: a folder only root may write to, holding an "index.html" anyone may write.
# SENTROVA_HANG_DIR: another such folder, whose "index.html" is a pipe nobody reads.
# SENTROVA_MULTI_ADDRESS_HOST: a name whose first address 127.0.0.3 refuses and whose second is 127.0.0.2.
# SENTROVA_PRIVATE_NETWORK: set in a network of its own, where every port on loopback is free.
# SENTROVA_SILENT_RESOLVER: a name asked of a DNS server that never answers; it makes SENTROVA_RESOLVER_ASKED.
set -u
multi=sentrova-multi.test
skip() { echo "skipped: $1"; exit 77; }

if [ -z "${SENTROVA_IN_NAMESPACE:-}" ]; then
    [ "$(id -u)" = 0 ] || skip "mounting needs root"
    unshare --mount --net true 2>/dev/null || skip "no mount or network namespace (unshare failed)"
    SENTROVA_IN_NAMESPACE=1 exec unshare --mount --net --propagation private bash "$0" "$@"
fi
ip link set lo up || skip "no loopback in the network namespace"

work=$(mktemp -d)
trap 'kill ${resolver-} 2>/dev/null; umount /etc/hosts /etc/resolv.conf "$work/ro" "$work/full" 2>/dev/null; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM HUP

mkdir "$work/full" "$work/ro" "$work/ro-source" "$work/page" "$work/hang"
mkfifo -m 666 "$work/hang/index.html"
chmod 755 "$work" && echo old > "$work/page/index.html" && chmod 666 "$work/page/index.html"
{ cat /etc/hosts; printf '127.0.0.3 %s\n127.0.0.2 %s\n' "$multi" "$multi"; } > "$work/hosts"
mount -t tmpfs -o size=64k tmpfs "$work/full" && mount --bind "$work/ro-source" "$work/ro" \
    && mount -o remount,bind,ro "$work/ro" && mount --bind "$work/hosts" /etc/hosts || skip "mount failed"
# The silent DNS server is for one test only; without it that test skips.
printf 'nameserver 127.0.0.53\noptions timeout:30 attempts:1\n' > "$work/resolv.conf"
if mount --bind "$work/resolv.conf" /etc/resolv.conf; then
  exec 3< <(exec /usr/bin/python3 -c 'import signal, socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.53", 53)); print("bound", flush=True)
s.recvfrom(512); open(sys.argv[1], "w").close(); signal.pause()' "$work/asked")
  resolver=$!
  read -r -t 20 -u 3 bound && export SENTROVA_SILENT_RESOLVER=sentrova-hang.test SENTROVA_RESOLVER_ASKED="$work/asked"
fi
order=$(getent ahosts "$multi" | awk '$2 == "STREAM" { printf "%s ", $1 }')
[ "$order" = "127.0.0.3 127.0.0.2 " ] || skip "$multi resolves to '$order', not 127.0.0.3 before 127.0.0.2"
echo old > "$work/full/old"
cat /dev/zero > "$work/full/filler" 2>/dev/null
[ "$(df --output=avail "$work/full" | tail -1)" -eq 0 ] || skip "the tmpfs did not fill up"

export SENTROVA_FULL_DIR="$work/full" SENTROVA_RO_DIR="$work/ro" SENTROVA_LOCKED_DIR="$work/page" SENTROVA_HANG_DIR="$work/hang"
export SENTROVA_MULTI_ADDRESS_HOST="$multi" SENTROVA_PRIVATE_NETWORK=1
"$@"
