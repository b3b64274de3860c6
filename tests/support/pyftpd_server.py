#!/usr/bin/python3
"""A pyftpdlib server for the tests: one user with every permission on a root directory, and
optionally a user who is logged in by USER alone (230 without PASS)."""
import argparse
import logging

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--nopass-user")
    args = parser.parse_args()

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    if args.nopass_user:
        authorizer.add_user(args.nopass_user, "", args.root, perm="elradfmwMT")

    class Handler(FTPHandler):
        auth_failed_timeout = 0.05
        # Names are bytes: one that is not UTF-8 is listed and taken back as it is on disk.
        unicode_errors = "surrogateescape"

        def ftp_USER(self, line):
            if args.nopass_user and line == args.nopass_user and not self.authenticated:
                self.username = line
                self.handle_auth_success(args.root, "", "Logged in without password.")
                return
            FTPHandler.ftp_USER(self, line)

    Handler.authorizer = authorizer
    logging.basicConfig(level=logging.WARNING)
    server = FTPServer(("127.0.0.1", args.port), Handler)
    server.serve_forever()


if __name__ == "__main__":
    main()
