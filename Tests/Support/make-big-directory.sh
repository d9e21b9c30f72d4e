#!/bin/sh
# Makes a directory of COUNT empty files and one sub-folder for the listing tests:
#   make-big-directory.sh DIRECTORY COUNT
# The sub-folder holds folders with names of 250 characters, each path ending in an empty
# file.txt and a folder sub: d for a plain path beyond MAX_PATH, e/e/e for one that needs \\?\;
# and tree, the tree of make-directory-tree.sh with fourteen files in each directory.
# Done on the Linux side: under Wine every file creation looks through the whole directory
# for a name that differs only in case, so creating them from the test would be quadratic.
set -e
rm -rf "$1"
mkdir -p "$1/only folder"
"$(dirname "$0")/make-directory-tree.sh" "$1/only folder/tree" 14
cd "$1"
seq -f 'f%.0f' 0 $(($2 - 1)) | xargs touch
d=$(printf '%250s' | tr ' ' d) e=$(printf '%250s' | tr ' ' e)
for chain in "$d" "$e/$e/$e"; do
    mkdir -p "only folder/$chain/sub"
    touch "only folder/$chain/file.txt"
done
