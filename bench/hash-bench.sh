#!/bin/sh
# Times md5sum and sha256sum against MD5::ComputeHash and Sha2::CalculateSHA256HashOfFile on the
# same 256 MiB file (best of three each), after CryptographyBench's cipher figures.
#   bench/hash-bench.sh   (after ./build.sh)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
file=$(mktemp /tmp/kelvo-hash-bench.XXXXXX)
trap 'rm -f "$file"' EXIT
head -c $((256 * 1024 * 1024)) /dev/urandom >"$file"
# Best of three runs of a command, in seconds.
best() {
    b=0
    for run in 1 2 3; do
        start=$(date +%s%N)
        "$@" >/dev/null
        t=$(($(date +%s%N) - start))
        if [ "$b" = 0 ] || [ "$t" -lt "$b" ]; then b=$t; fi
    done
    echo "$b" | awk '{ printf "%.3f", $1 / 1e9 }'
}
printf '%-48s %8s s  %s\n' "md5sum" "$(best md5sum "$file")" "$(md5sum "$file" | cut -d' ' -f1)"
printf '%-48s %8s s  %s\n' "sha256sum" "$(best sha256sum "$file")" "$(sha256sum "$file" | cut -d' ' -f1)"
"$root/cmake/wine-run.sh" "$root/build/mingw-x64/wineprefix" x64 "$root/build/mingw-x64/bin/CryptographyBench.exe" "Z:$file"
