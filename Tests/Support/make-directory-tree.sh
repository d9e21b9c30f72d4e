#!/bin/sh
# Makes a tree five directory levels deep for the tree-walk tests: every directory holds
# FILES empty files, each of the first four levels four sub-directories, and one directory a
# link back to the top, so that a walk that follows links never ends:
#   make-directory-tree.sh DIRECTORY FILES
# Done on the Linux side: under Wine every file creation looks through its directory.
set -e
rm -rf "$1"
mkdir -p "$1"
cd "$1"
# Every directory's path, parents first, then every file's path.
awk -v files="$2" 'BEGIN {
    n = 1; dirs[0] = "."
    for (level = 1; level <= 5; level++) {
        last = n
        for (i = 0; i < last; i++) {
            if (split(dirs[i], parts, "/") != level) continue
            for (s = 0; s < 4; s++) { dirs[n] = dirs[i] "/L" level substr("abcd", s + 1, 1); print dirs[n]; n++ }
        }
    }
    for (i = 1; i < n; i++) for (f = 0; f < files; f++) print dirs[i] "/f" f
}' >list
grep -v '/f[0-9]*$' list | xargs mkdir
grep '/f[0-9]*$' list | xargs touch
rm list
ln -s ../.. L1a/L2a/loop
