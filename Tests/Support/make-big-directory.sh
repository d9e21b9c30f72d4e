#!/bin/sh
# Makes a directory of COUNT empty files and one sub-folder for the listing tests:
#   make-big-directory.sh DIRECTORY COUNT
# Done on the Linux side: under Wine every file creation looks through the whole directory
# for a name that differs only in case, so creating them from the test would be quadratic.
set -e
rm -rf "$1"
mkdir -p "$1/only folder"
cd "$1"
seq -f 'f%.0f' 0 $(($2 - 1)) | xargs touch
