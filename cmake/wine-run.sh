#!/bin/sh
# Runs a Windows program under Wine in a private prefix of the build tree:
#   wine-run.sh PREFIX x64|x86 PROGRAM [ARGUMENTS...]
# The loader is chosen by the program's architecture rather than left to the wine script,
# which prefers the 32-bit loader whenever it is installed, even where it cannot run.
# The prefix is created on first use; the lock keeps parallel runs from creating it twice.
set -e
prefix=$1
arch=$2
shift 2
case "$arch" in
    x64) loader=/usr/lib/wine/wine64 ;;
    x86) loader=/usr/lib/wine/wine ;;
    *) echo "wine-run.sh: unknown architecture '$arch'" >&2; exit 2 ;;
esac
# A caller's own overrides (a test's) come after the prefix's.
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        if [ ! -f "$prefix/system.reg" ]; then
            "$loader" wineboot --init >"$prefix.log" 2>&1
            # Let the first session settle: until it ends, a second service manager may be running.
            wineserver --wait
        fi
    ) 9>"$prefix.lock"
fi
exec "$loader" "$@"
