#!/bin/sh
# Makes a directory of COUNT empty files and one sub-folder for the listing tests:
#   make-big-directory.sh DIRECTORY COUNT
# The sub-folder holds two chains of folders with names of 100 characters, each ending in an
# empty file.txt and a folder sub: d two deep, for a plain path beyond MAX_PATH, and e six deep,
# for one that needs \\?\.
# Done on the Linux side: under Wine every file creation looks through the whole directory
# for a name that differs only in case, so creating them from the test would be quadratic.
set -e
rm -rf "$1"
mkdir -p "$1/only folder"
cd "$1"
seq -f 'f%.0f' 0 $(($2 - 1)) | xargs touch
d=$(printf '%100s' | tr ' ' d) e=$(printf '%100s' | tr ' ' e)
for chain in "$d/$d" "$e/$e/$e/$e/$e/$e"; do
    mkdir -p "only folder/$chain/sub"
    touch "only folder/$chain/file.txt"
done
