#!/bin/bash
# Runs a test executable with what only root can stage, in a mount namespace
# of its own so that nothing is seen outside it:
#   SENTROVA_FULL_DIR    an empty 64 KiB tmpfs, for a full disk
#   SENTROVA_RO_DIR      a read-only view of SENTROVA_RO_SOURCE
#   SENTROVA_MULTI_ADDRESS_HOST  a name whose first address (127.0.0.3)
#                        differs from its second (127.0.0.2)
# Usage: mounted_faults.sh EXECUTABLE [ARGUMENTS...]
# Exit status 77 (registered with CTest as a skip) when it cannot be staged.
set -u
skip=77
multi=sentrova-multi.test

if [ -z "${SENTROVA_IN_NAMESPACE:-}" ]; then
    if [ "$(id -u)" != 0 ]; then
        echo "skipped: mounting needs root"
        exit $skip
    fi
    if ! unshare --mount true 2>/dev/null; then
        echo "skipped: no mount namespace (unshare --mount failed)"
        exit $skip
    fi
    SENTROVA_IN_NAMESPACE=1 exec unshare --mount --propagation private bash "$0" "$@"
fi

work=$(mktemp -d)
cleanup() {
    umount /etc/hosts "$work/ro" "$work/full" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

mkdir "$work/full" "$work/ro" "$work/ro-source"
{ cat /etc/hosts; printf '127.0.0.3 %s\n127.0.0.2 %s\n' "$multi" "$multi"; } > "$work/hosts"
if ! mount -t tmpfs -o size=64k tmpfs "$work/full" \
    || ! mount --bind "$work/ro-source" "$work/ro" \
    || ! mount -o remount,bind,ro "$work/ro" \
    || ! mount --bind "$work/hosts" /etc/hosts; then
    echo "skipped: mount failed"
    exit $skip
fi
order=$(getent ahosts "$multi" | awk '$2 == "STREAM" { printf "%s ", $1 }')
if [ "$order" != "127.0.0.3 127.0.0.2 " ]; then
    echo "skipped: $multi resolves to '$order', not 127.0.0.3 before 127.0.0.2"
    exit $skip
fi

export SENTROVA_FULL_DIR="$work/full" SENTROVA_RO_DIR="$work/ro" SENTROVA_RO_SOURCE="$work/ro-source"
export SENTROVA_MULTI_ADDRESS_HOST="$multi"
"$@"
