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
Every read is logged as one line of hex, so a test can check what the client sent.
"""
import json
import socket
import sys
import time


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


def play(conn, script, log):
    for step in script:
        if "read" in step:
            data = read_step(conn, step["read"])
            log.write(data.hex() + "\n")
            log.flush()
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


def main():
    port, script_path, log_path = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    with open(script_path) as f:
        script = json.load(f)
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", port))
    server.listen(8)
    with open(log_path, "a") as log:
        while True:
            conn, _ = server.accept()
            conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            try:
                play(conn, script, log)
            except (EOFError, OSError):
                pass
            finally:
                conn.close()


if __name__ == "__main__":
    main()
