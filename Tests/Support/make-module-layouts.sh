#!/bin/sh
# Lays out folders for the module-loading tests:
#   make-module-layouts.sh DIRECTORY BIN PROGRAM FOREIGN LAYOUT...
# DIRECTORY/Program holds PROGRAM with FOREIGN, an unrelated DLL, beside it as HostApi.dll. Each
# DIRECTORY/LAYOUT holds KelvoUtilities.dll and the C++ runtime DLLs from BIN, and HostApi.dll
# from BIN as the layout has it: Good (as built), ChangedByte (one byte of code changed),
# Unsigned (signature removed), ForeignSigner (signed again with a certificate made here) or
# Missing (none).
set -e
directory=$1 bin=$2 program=$3 foreign=$4
shift 4
rm -rf "$directory"
mkdir -p "$directory/Program"
cp "$program" "$directory/Program/"
cp "$foreign" "$directory/Program/HostApi.dll"
for layout in "$@"; do
    folder=$directory/$layout
    mkdir "$folder"
    cp "$bin/KelvoUtilities.dll" "$bin"/lib*.dll "$folder/"
    case $layout in
    Good)
        cp "$bin/HostApi.dll" "$folder/" ;;
    ChangedByte)
        cp "$bin/HostApi.dll" "$folder/"
        # A byte a third into the file, well inside the code and before the signature.
        offset=$(($(stat -c %s "$folder/HostApi.dll") / 3))
        byte=$(od -An -tu1 -j "$offset" -N 1 "$folder/HostApi.dll")
        printf "\\$(printf %03o $((byte ^ 1)))" | dd of="$folder/HostApi.dll" bs=1 seek="$offset" conv=notrunc 2>/dev/null ;;
    Unsigned)
        osslsigncode remove-signature -in "$bin/HostApi.dll" -out "$folder/HostApi.dll" >/dev/null ;;
    ForeignSigner)
        openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=Someone else" \
            -addext "extendedKeyUsage=codeSigning" -keyout "$folder/key.pem" -out "$folder/certificate.pem" 2>/dev/null
        osslsigncode remove-signature -in "$bin/HostApi.dll" -out "$folder/unsigned.dll" >/dev/null
        osslsigncode sign -certs "$folder/certificate.pem" -key "$folder/key.pem" -h sha256 \
            -in "$folder/unsigned.dll" -out "$folder/HostApi.dll" >/dev/null
        rm "$folder/unsigned.dll" "$folder/key.pem" "$folder/certificate.pem" ;;
    Missing) ;;
    *) echo "make-module-layouts.sh: unknown layout $layout" >&2; exit 2 ;;
    esac
done
