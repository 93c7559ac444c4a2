#!/usr/bin/env python3
"""A local FTP server for the tests: one user on one folder, 127.0.0.1, a free port.

Usage: ftp_server.py FOLDER USER PASSWORD [hostile]
Prints "PORT <n>" on standard output once it listens, then serves until
killed (or for at most ten minutes). A hostile server adds entries that name
no file of its own to every listing: "../evil", "..\\evil" and "/etc/passwd"
(a name with CR or LF cannot be sent whole: the listing goes in ASCII mode,
whose line ends the server rewrites)."""
import logging
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

HOSTILE_NAMES = ["../evil", "..\\evil", "/etc/passwd"]


class HostileFS(AbstractedFS):
    def format_list(self, basedir, listing, ignore_err=True):
        yield from super().format_list(basedir, listing, ignore_err)
        for name in HOSTILE_NAMES:
            yield ("-rw-r--r--   1 owner    group           5 Jan 01 12:00 %s\r\n" % name).encode("utf8")

    def format_mlsx(self, basedir, listing, perms, facts, ignore_err=True):
        yield from super().format_mlsx(basedir, listing, perms, facts, ignore_err)
        for name in HOSTILE_NAMES:
            yield ("type=file;size=5;modify=20200101120000; %s\r\n" % name).encode("utf8")


def main():
    folder, user, password = sys.argv[1:4]
    logging.basicConfig(level=logging.ERROR)
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, folder, perm="elradfmwMT")
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.passive_ports = None
    if len(sys.argv) > 4 and sys.argv[4] == "hostile":
        handler.abstracted_fs = HostileFS
    server = FTPServer(("127.0.0.1", 0), handler)
    print("PORT %d" % server.address[1], flush=True)
    threading.Timer(600, server.close_all).start()
    server.serve_forever(timeout=0.5)


if __name__ == "__main__":
    main()
