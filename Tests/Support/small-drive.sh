#!/bin/sh
# Makes or removes the small drive of the disk-full tests: a tmpfs of 2 MiB mounted at DIRECTORY
# and mapped as drive LETTER of the Wine prefix PREFIX (for ARCH, x64 or x86).
#   small-drive.sh make|remove PREFIX ARCH LETTER DIRECTORY
# Mounting needs root. Where it is refused no drive is made, and the tests that need it skip.
action=$1 prefix=$2 arch=$3 letter=$4 directory=$5
link="$prefix/dosdevices/$letter:"
case "$action" in
make)
    # The prefix first: Wine sets up its drives only in a prefix that it creates itself.
    if [ ! -f "$prefix/system.reg" ]; then
        "$(dirname "$0")/../../cmake/wine-run.sh" "$prefix" "$arch" cmd /c exit >/dev/null 2>&1
    fi
    rm -f "$link" # one left by a run that was stopped would point to a directory of the big disk
    mkdir -p "$directory"
    if [ -d "$prefix/dosdevices" ] && mount -t tmpfs -o size=2m tmpfs "$directory"; then
        ln -sfn "$directory" "$link"
        echo "small-drive.sh: $letter: is a tmpfs of 2 MiB at $directory"
    else
        echo "small-drive.sh: no tmpfs could be mounted at $directory (needs root): the disk-full tests skip"
    fi
    ;;
remove)
    rm -f "$link"
    if mountpoint -q "$directory"; then
        umount "$directory" || umount -l "$directory"
    fi
    rmdir "$directory" 2>/dev/null
    ;;
esac
exit 0
