#!/bin/sh
# A Wine prefix of its own for a test that must not be able to touch the suites' prefix:
#   disposable-prefix.sh make SUITE-PREFIX DIRECTORY   (a copy of the suites' prefix, when there
#                                                      is one; otherwise the first program run
#                                                      in DIRECTORY makes a new one)
#   disposable-prefix.sh remove DIRECTORY              (ends its Wine server and deletes it)
set -e
case "$1" in
    make)
        rm -rf "$3"
        if [ -f "$2/system.reg" ]; then cp -a "$2" "$3"; fi
        ;;
    remove)
        if [ -d "$2" ]; then WINEPREFIX="$2" wineserver -k 2>/dev/null || true; fi
        rm -rf "$2" "$2.lock" "$2.log"
        ;;
    *)
        echo "disposable-prefix.sh: make SUITE-PREFIX DIRECTORY | remove DIRECTORY" >&2
        exit 2
        ;;
esac
