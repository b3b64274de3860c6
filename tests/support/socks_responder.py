#!/usr/bin/python3
"""A scripted SOCKS responder for tests: plays one script per connection.

Usage: socks_responder.py <port> <script.json> <log file>

The script is a JSON list of steps, run in order for every accepted connection:
  {"read": "greeting5"}   SOCKS 5 greeting: version, method count, methods
  {"read": "auth5"}       user/password request: version, ulen, user, plen, password
  {"read": "request5"}    SOCKS 5 request: ver, cmd, rsv, atyp, address, port
  {"read": "request4"}    SOCKS 4/4A request: 8 bytes, user id and NUL, for 4A host and NUL
  {"read": 5}             exactly that many bytes
  {"read": "all"}         everything up to the client's end of stream
  {"send": "05 00"}       bytes in hex (blanks allowed)
  {"sleep": 50}           milliseconds
  {"echo": true}          echo everything back until the client closes
  {"close": true}         close the connection now
  {"relay": {"name": "127.0.0.1"}}
                          connect to the destination of the last request read, a name of the
                          map standing for its address (the port is the request's), grant the
                          request and pass the bytes both ways until both ends have closed; a
                          destination the map lacks is refused (SOCKS 5 code 4, SOCKS 4 91), one
                          that refuses the connection too (SOCKS 5 code 5, SOCKS 4 91)
Every read is logged as one line of hex, so a test can check what the client sent. Connections
are served at the same time, each by a thread of its own.
"""
import json
import selectors
import socket
import sys
import threading
import time

# A relayed SOCKS 5 connection reports this bound address and port: the address the SOCKS
# server's own end has, which a client must not take for the destination's.
BOUND_REPLY5 = bytes.fromhex("05 00 00 01 c0 00 02 07 11 5c")
GRANTED4 = bytes.fromhex("00 5a 00 00 00 00 00 00")
REFUSED5 = bytes.fromhex("05 04 00 01 00 00 00 00 00 00")
UNREACHED5 = bytes.fromhex("05 05 00 01 00 00 00 00 00 00")
REFUSED4 = bytes.fromhex("00 5b 00 00 00 00 00 00")


def read_exact(conn, n):
    data = b""
    while len(data) < n:
        chunk = conn.recv(n - len(data))
        if not chunk:
            raise EOFError
        data += chunk
    return data


def read_until_nul(conn):
    data = b""
    while not data.endswith(b"\0"):
        data += read_exact(conn, 1)
    return data


def read_step(conn, kind):
    if isinstance(kind, int):
        return read_exact(conn, kind)
    if kind == "all":
        data = b""
        while chunk := conn.recv(65536):
            data += chunk
        return data
    if kind == "greeting5":
        head = read_exact(conn, 2)
        return head + read_exact(conn, head[1])
    if kind == "auth5":
        head = read_exact(conn, 2)
        user = read_exact(conn, head[1])
        plen = read_exact(conn, 1)
        return head + user + plen + read_exact(conn, plen[0])
    if kind == "request5":
        head = read_exact(conn, 4)
        if head[3] == 1:
            rest = read_exact(conn, 4)
        elif head[3] == 3:
            n = read_exact(conn, 1)
            rest = n + read_exact(conn, n[0])
        else:
            rest = read_exact(conn, 16)
        return head + rest + read_exact(conn, 2)
    if kind == "request4":
        head = read_exact(conn, 8)
        data = head + read_until_nul(conn)
        if head[4:7] == b"\0\0\0" and head[7] != 0:
            data += read_until_nul(conn)
        return data
    raise ValueError(kind)


def destination(request):
    """(name or address text, port) of a SOCKS 5 or 4/4A request as read_step gave it."""
    if request[0] == 5:
        kind = request[3]
        if kind == 3:
            host = request[5:5 + request[4]].decode("latin-1")
        elif kind == 1:
            host = socket.inet_ntop(socket.AF_INET, request[4:8])
        else:
            host = socket.inet_ntop(socket.AF_INET6, request[4:20])
        return host, int.from_bytes(request[-2:], "big")
    port = int.from_bytes(request[2:4], "big")
    if request[4:7] == b"\0\0\0" and request[7] != 0:
        host = request[8:].split(b"\0")[1].decode("latin-1")
    else:
        host = socket.inet_ntop(socket.AF_INET, request[4:8])
    return host, port


def pump(conn, upstream):
    """Passes bytes both ways; an end of stream is passed on as a half close."""
    selector = selectors.DefaultSelector()
    peers = {conn: upstream, upstream: conn}
    for sock in peers:
        selector.register(sock, selectors.EVENT_READ)
    while peers:
        for key, _ in selector.select():
            data = key.fileobj.recv(65536)
            if data:
                peers[key.fileobj].sendall(data)
                continue
            selector.unregister(key.fileobj)
            peers[key.fileobj].shutdown(socket.SHUT_WR)
            del peers[key.fileobj]


def relay(conn, request, addresses):
    host, port = destination(request)
    socks5 = request[0] == 5
    if host not in addresses:
        conn.sendall(REFUSED5 if socks5 else REFUSED4)
        return
    try:
        upstream = socket.create_connection((addresses[host], port), timeout=10)
    except OSError:
        conn.sendall(UNREACHED5 if socks5 else REFUSED4)
        return
    with upstream:
        upstream.settimeout(None)
        conn.sendall(BOUND_REPLY5 if socks5 else GRANTED4)
        pump(conn, upstream)


def play(conn, script, log, log_lock):
    request = b""
    for step in script:
        if "read" in step:
            data = read_step(conn, step["read"])
            if step["read"] in ("request5", "request4"):
                request = data
            with log_lock:
                log.write(data.hex() + "\n")
                log.flush()
        elif "relay" in step:
            relay(conn, request, step["relay"])
            return
        elif "send" in step:
            conn.sendall(bytes.fromhex(step["send"]))
        elif "sleep" in step:
            time.sleep(step["sleep"] / 1000.0)
        elif "echo" in step:
            while True:
                data = conn.recv(65536)
                if not data:
                    return
                conn.sendall(data)
        elif "close" in step:
            return


def serve(conn, script, log, log_lock):
    try:
        play(conn, script, log, log_lock)
    except (EOFError, OSError):
        pass
    finally:
        conn.close()


def main():
    port, script_path, log_path = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    with open(script_path) as f:
        script = json.load(f)
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", port))
    server.listen(8)
    log_lock = threading.Lock()
    with open(log_path, "a") as log:
        while True:
            conn, _ = server.accept()
            conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            threading.Thread(target=serve, args=(conn, script, log, log_lock), daemon=True).start()


if __name__ == "__main__":
    main()
