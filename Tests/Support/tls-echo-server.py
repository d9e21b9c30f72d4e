"""HTTPS servers on 127.0.0.1 for the HTTP client's tests: they answer every request with 200 and
the request itself, head and body, as it arrived after decryption.

    tls-echo-server.py DIRECTORY NAME...

For each NAME, DIRECTORY holds NAME-cert.pem and NAME-key.pem and one server listens with them;
their ports, in the order of the names, go to DIRECTORY/ports. All end when DIRECTORY is removed
(the test fixture's clean-up) or after an hour.
"""
import os
import socket
import ssl
import sys
import threading
import time

directory = sys.argv[1]


def read_request(connection):
    request = b""
    while b"\r\n\r\n" not in request:
        block = connection.recv(65536)
        if not block:
            return request
        request += block
    head, _, body = request.partition(b"\r\n\r\n")
    length = 0
    for line in head.split(b"\r\n")[1:]:
        name, _, value = line.partition(b":")
        if name.strip().lower() == b"content-length":
            length = int(value)
    while len(body) < length:
        block = connection.recv(65536)
        if not block:
            break
        body += block
    return head + b"\r\n\r\n" + body


def answer(connection, context):
    try:
        connection.settimeout(10)
        with context.wrap_socket(connection, server_side=True) as secure:
            request = read_request(secure)
            secure.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\nConnection: close\r\n\r\n"
                           % len(request) + request)
    except (OSError, ValueError):
        connection.close()  # a client that gave up, or did not trust the certificate


def serve(listener, context):
    while True:
        connection, _ = listener.accept()
        threading.Thread(target=answer, args=(connection, context), daemon=True).start()


ports = []
for name in sys.argv[2:]:
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(directory, name + "-cert.pem"), os.path.join(directory, name + "-key.pem"))
    listener = socket.create_server(("127.0.0.1", 0))
    ports.append(str(listener.getsockname()[1]))
    threading.Thread(target=serve, args=(listener, context), daemon=True).start()
with open(os.path.join(directory, "ports.tmp"), "w") as file:
    file.write(" ".join(ports))
os.replace(os.path.join(directory, "ports.tmp"), os.path.join(directory, "ports"))
deadline = time.monotonic() + 3600
while os.path.isdir(directory) and time.monotonic() < deadline:
    time.sleep(0.5)
