#!/bin/sh
# The binary interface under test: the names a DLL exports (its PE export directory, demangled,
# sorted) must be exactly the committed list, so that no change to the exported set goes
# unnoticed. An intended change updates the list in the same commit:
#   check-exports.sh OBJDUMP CXXFILT DLL LIST            compare
#   KELVO_UPDATE_EXPORTS=1 check-exports.sh ...          write LIST instead
set -e
objdump=$1
cxxfilt=$2
dll=$3
list=$4
actual=$(mktemp)
trap 'rm -f "$actual"' EXIT
"$objdump" -p "$dll" |
    awk '/^\[Ordinal\/Name Pointer\] Table/ { table = 1; next } table && /^\t\[/ { print $NF; next } table { table = 0 }' |
    "$cxxfilt" --no-strip-underscore | LC_ALL=C sort >"$actual"
if [ "$KELVO_UPDATE_EXPORTS" = 1 ]; then
    cp "$actual" "$list"
    exit 0
fi
if ! diff -u "$list" "$actual"; then
    echo "The exports of $(basename "$dll") are not those of $list (- committed, + built). If the change is intended, update the list in the same commit: KELVO_UPDATE_EXPORTS=1 ctest --preset <preset> -R Exports" >&2
    exit 1
fi
