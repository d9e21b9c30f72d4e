#!/bin/sh
# Lays out folders for the module-loading tests:
#   make-module-layouts.sh DIRECTORY BIN PROGRAM FOREIGN STUB CERTIFICATE KEY LAYOUT...
# DIRECTORY/Program holds PROGRAM, and DIRECTORY/Current (its current directory) nothing else:
# beside both lies FOREIGN, an unrelated DLL, under the name of HostApi.dll and of every system
# DLL that the library loads (version, winhttp, crypt32, wtsapi32, wintrust; version only in the
# current directory, see below). Each DIRECTORY/LAYOUT
# holds KelvoUtilities.dll and the C++ runtime DLLs from BIN, and HostApi.dll from BIN as the
# layout has it: Good (as built), ChangedByte (one byte of code changed), Unsigned (signature
# removed), ForeignSigner (signed again with a certificate made here), Missing (none),
# OtherBuild (another build stamp, signed again with the build's CERTIFICATE and KEY) or
# NoFunctions (STUB: the build's stamp and signature, none of HostApi's functions).
set -e
directory=$1 bin=$2 program=$3 foreign=$4 stub=$5 certificate=$6 key=$7
shift 7
rm -rf "$directory"
mkdir -p "$directory/Program" "$directory/Current"
cp "$program" "$directory/Program/"
for dll in HostApi version winhttp crypt32 wtsapi32 wintrust; do
    cp "$foreign" "$directory/Current/$dll.dll"
    # Wine's own user32.dll imports version.dll (Windows' does not): Wine would load a copy beside
    # the program itself, when the program starts, before any code of the library runs.
    [ $dll = version ] || cp "$foreign" "$directory/Program/$dll.dll"
done
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
    OtherBuild)
        osslsigncode remove-signature -in "$bin/HostApi.dll" -out "$folder/unsigned.dll" >/dev/null
        # The stamp is "KelvoUtilities <version> build <identifier>": one letter of the identifier
        # changed.
        stamp=$(grep -obUa "KelvoUtilities [0-9.]* build " "$folder/unsigned.dll" | head -n 1)
        prefix=${stamp#*:}
        offset=$((${stamp%%:*} + ${#prefix}))
        printf x | dd of="$folder/unsigned.dll" bs=1 seek="$offset" conv=notrunc 2>/dev/null
        osslsigncode sign -certs "$certificate" -key "$key" -h sha256 \
            -in "$folder/unsigned.dll" -out "$folder/HostApi.dll" >/dev/null
        rm "$folder/unsigned.dll" ;;
    NoFunctions)
        cp "$stub" "$folder/HostApi.dll" ;;
    *) echo "make-module-layouts.sh: unknown layout $layout" >&2; exit 2 ;;
    esac
done
