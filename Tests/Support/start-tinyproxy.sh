#!/bin/sh
# Starts Debian's tinyproxy as a forward proxy on a free port of 127.0.0.1 that demands Basic
# credentials (user "user", password "secret"), in the background; returns once it listens:
#   start-tinyproxy.sh DIRECTORY
# DIRECTORY receives the configuration, the log and the port (DIRECTORY/port). The proxy ends
# when DIRECTORY is removed.
set -e
rm -rf "$1"
mkdir -p "$1"
cd "$1"
port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >tinyproxy.conf <<CONF
Port $port
Listen 127.0.0.1
Timeout 30
MaxClients 16
Allow 127.0.0.1
BasicAuth user secret
DisableViaHeader Yes
LogFile "$PWD/tinyproxy.log"
LogLevel Info
CONF
setsid tinyproxy -d -c tinyproxy.conf </dev/null >output.log 2>&1 &
proxy=$!
# Ends the proxy once the fixture's clean-up has removed the directory.
setsid sh -c "while [ -d '$PWD' ]; do sleep 0.5; done; kill $proxy" </dev/null >/dev/null 2>&1 &
for _ in $(seq 100); do
    if /usr/bin/python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 1)" 2>/dev/null; then
        echo "$port" >port
        exit 0
    fi
    sleep 0.1
done
echo "tinyproxy did not start:" >&2
cat output.log tinyproxy.log >&2
exit 1
