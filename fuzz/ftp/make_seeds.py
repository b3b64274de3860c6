#!/usr/bin/env python3
"""Writes the seed corpus of fuzz_ftp_session, taken from the scripted-server tests' sessions.

Each seed: a flag byte, then records [kind][length, 2 bytes little-endian][bytes]; an even kind
is a control reply (the first is the greeting), an odd kind a data chunk; bits 1-2 of the first
record's kind choose the security (0 plain, 1 FTPS if offered, 2 required, 3 implicit). See
fuzz_ftp_session.cpp.
Run: fuzz/ftp/make_seeds.py  (writes fuzz/ftp/seeds/fuzz_ftp_session/)
"""
import os
import struct

PASSIVE, ACCEPT_LF, BINARY, ABORT_BY_PROGRESS = 1, 2, 4, 8
NO_ABORT = 15 << 4
PLAIN, TLS_IF_OFFERED, TLS_REQUIRED, TLS_IMPLICIT = 0, 1, 2, 3
# What a server's TLS might start with: a ServerHello of zeros, then a fatal alert.
TLS_GARBLE = b"\x16\x03\x03\x00\x30\x02\x00\x00\x2c\x03\x03" + b"\x00" * 42
TLS_ALERT = b"\x15\x03\x03\x00\x02\x02\x28"

LOGIN = ["220 scripted server ready\r\n", "331 Password required\r\n", "230 Logged in\r\n"]
LISTING = ("-rw-r--r--   1 joe  users  3000 Mar  5  1999 file\r\n"
           "drwxr-xr-x   2 joe  users  4096 Jan  1 12:00 pub\r\n")


def record(kind, data):
    data = data.encode("latin-1") if isinstance(data, str) else data
    return struct.pack("<BH", kind, len(data)) + data


def seed(flags, replies, data=(), security=PLAIN):
    out = bytes([flags])
    for i, r in enumerate(replies):
        out += record(security << 1 if i == 0 else 0, r)
    for d in data:
        out += record(1, d)
    return out


def whole_session(pasv):
    """Replies to: log-in, PWD, CWD, PASV/PORT + LIST, PASV/PORT + RETR, PASV/PORT + STOR, SIZE,
    RNFR, RNTO, ABOR, QUIT."""
    port = "227 Entering Passive Mode (%PORT%).\r\n" if pasv else "200 PORT ok\r\n"
    return LOGIN + [
        '257 "/home/joe" is the current directory\r\n',
        "250 CWD ok\r\n",
        port, "150 Here comes the listing\r\n226 Done\r\n",
        port, "150 Opening BINARY connection\r\n226 Transfer complete\r\n",
        port, "150 Ok to send\r\n226 Transfer complete\r\n",
        "213 3000\r\n",
        "350 Ready for RNTO\r\n", "250 Renamed\r\n",
        "225 No transfer to abort\r\n",
        "221 Goodbye\r\n",
    ]


SEEDS = {
    "passive-session": seed(PASSIVE | ACCEPT_LF | BINARY | NO_ABORT, whole_session(True),
                            [LISTING, "x" * 3000]),
    "active-session": seed(ACCEPT_LF | NO_ABORT, whole_session(False), [LISTING, "y" * 500]),
    "multi-line-and-digit-led-text": seed(
        PASSIVE | ACCEPT_LF | NO_ABORT,
        ["220-Welcome\r\n   to the scripted server\n230 not the end\r\n220 Ready\n",
         "331-Password\n331 required\n", "230 Logged in\n",
         "257-Your directory:\r\n2021 was a year\r\n257 \"/home/joe\"\r\n"]),
    "nul-in-pwd-and-bad-size": seed(
        PASSIVE | ACCEPT_LF | NO_ABORT,
        LOGIN + ['257 "/home/joe\0/etc" is it\r\n', "250 ok\r\n", "550 no listing\r\n",
                 "550 no file\r\n", "550 no upload\r\n", "213 -1\r\n"]),
    "final-reply-before-data-and-split": seed(
        PASSIVE | NO_ABORT,
        LOGIN + ["257 \"/\"\r\n", "250 ok\r\n", "227 (%PORT%)\r\n", "226 Done early\r\n",
                 "227 (%PORT%)\r\n", "150 Go\r\n2", "26 tail in a later read\r\n"],
        [LISTING, "z" * 20000]),
    "abort-mid-download": seed(
        PASSIVE | ACCEPT_LF | (4 << 4),
        LOGIN + ["257 \"/\"\r\n", "250 ok\r\n", "227 (%PORT%)\r\n", "150 Go\r\n226 Done\r\n",
                 "227 (%PORT%)\r\n", "150 Go\r\n"],
        [LISTING, "w" * 20000]),
    "abort-from-progress": seed(
        PASSIVE | ACCEPT_LF | ABORT_BY_PROGRESS | (4 << 4),
        LOGIN + ["257 \"/\"\r\n", "250 ok\r\n", "227 (%PORT%)\r\n", "150 Go\r\n226 Done\r\n",
                 "227 (%PORT%)\r\n", "150 Go\r\n", "426 Aborted\r\n226 Abort ok\r\n"],
        [LISTING, "v" * 20000]),
    "extended-passive": seed(
        PASSIVE | ACCEPT_LF | NO_ABORT,
        LOGIN + ["257 \"/\"\r\n", "250 ok\r\n", "229 Extended Passive Mode (|||%PORT%|)\r\n",
                 "150 Go\r\n226 Done\r\n", "229 (|||70000|)\r\n"],
        [LISTING]),
    "refused-greeting": seed(PASSIVE | NO_ABORT, ["421 Too many users\r\n"]),
    "garbled-passive": seed(
        PASSIVE | ACCEPT_LF | NO_ABORT,
        LOGIN + ["257 \"/\"\r\n", "250 ok\r\n", "227 Entering Passive Mode (127,0,0,1,0,0)\r\n",
                 "227 (999,1,2,3,4,5)\r\n"]),
    "tls-if-offered-refused": seed(
        PASSIVE | NO_ABORT,
        ["220 ready\r\n", "502 AUTH not understood\r\n"] + LOGIN[1:] + ["257 \"/\"\r\n"],
        security=TLS_IF_OFFERED),
    "tls-required-refused": seed(PASSIVE | NO_ABORT, ["220 ready\r\n", "534 No TLS here\r\n"],
                                 security=TLS_REQUIRED),
    "tls-garbled-handshake": seed(
        PASSIVE | NO_ABORT, ["220 ready\r\n", "234 Proceed\r\n", TLS_GARBLE, TLS_ALERT],
        security=TLS_REQUIRED),
    "tls-implicit-alert": seed(PASSIVE | NO_ABORT, [TLS_ALERT], security=TLS_IMPLICIT),
}


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "seeds", "fuzz_ftp_session")
    os.makedirs(out, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
