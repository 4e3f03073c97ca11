#!/usr/bin/env python3
"""A loopback HTTP server in a process of its own whose chunked answers never end properly:
a path containing "inside" is cut inside its first chunk, any other path ends its chunks without
the last (empty) one. The close comes a moment after the data, as from a server that died.
Usage: cut_chunked_server.py PORT"""
import socket
import sys
import threading
import time

BODY = b"%PDF-1.4\n" + b"0123456789abcdef" * 320


def serve(connection):
    with connection:
        request = connection.recv(65536).decode("latin-1")
        path = request.split(" ")[1] if " " in request else "/"
        connection.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: application/pdf\r\n"
                           b"Transfer-Encoding: chunked\r\n\r\n")
        if "inside" in path:
            connection.sendall(b"%x\r\n" % len(BODY) + BODY[:1000])
        else:
            connection.sendall(b"%x\r\n" % len(BODY) + BODY + b"\r\n")
        time.sleep(0.05)


def main():
    server = socket.socket()
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", int(sys.argv[1])))
    server.listen(16)
    while True:
        connection, _ = server.accept()
        threading.Thread(target=serve, args=(connection,), daemon=True).start()


if __name__ == "__main__":
    main()
