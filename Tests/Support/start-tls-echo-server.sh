#!/bin/sh
# Makes two self-signed certificates for 127.0.0.1 and localhost in DIRECTORY, "trusted" (which
# the test installs as a trusted root) and "stranger" (which it does not), and starts
# tls-echo-server.py with them in the background; returns once both servers listen:
#   start-tls-echo-server.sh DIRECTORY
# The servers end by themselves when DIRECTORY is removed.
set -e
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$1"
mkdir -p "$1"
cd "$1"
for name in trusted stranger; do
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -keyout $name-key.pem -out $name-cert.pem \
        -subj "/CN=127.0.0.1" -addext "subjectAltName=IP:127.0.0.1,DNS:localhost" \
        -addext "extendedKeyUsage=serverAuth" 2>/dev/null
    openssl x509 -in $name-cert.pem -outform DER -out $name-cert.der
done
setsid /usr/bin/python3 "$here/tls-echo-server.py" "$1" trusted stranger </dev/null >server.log 2>&1 &
for _ in $(seq 100); do
    [ -f ports ] && exit 0
    sleep 0.1
done
echo "the TLS echo server did not start:" >&2
cat server.log >&2
exit 1
