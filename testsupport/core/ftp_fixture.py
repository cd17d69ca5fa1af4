#!/usr/bin/python3
# Loopback FTP server for the network tests. Prints its port, then serves
# until killed or until --lifetime seconds have passed.
#   ftp_fixture.py ROOT USER PASSWORD [--lie-size NAME:BYTES] [--lifetime S]
import sys
import threading
import os

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    root, user, password = sys.argv[1], sys.argv[2], sys.argv[3]
    lies = {}
    lifetime = 120
    args = sys.argv[4:]
    while args:
        a = args.pop(0)
        if a == "--lie-size":
            name, size = args.pop(0).rsplit(":", 1)
            lies[name] = int(size)
        elif a == "--lifetime":
            lifetime = int(args.pop(0))

    class Handler(FTPHandler):
        # Big5 names travel as raw bytes, on the wire and on disk.
        encoding = "utf-8"
        unicode_errors = "surrogateescape"
        auth_failed_timeout = 0.1

        # A SIZE that lies makes the data connection look short.
        def ftp_SIZE(self, path):
            name = os.path.basename(path)
            if name in lies:
                self.respond("213 %d" % lies[name])
                return
            return FTPHandler.ftp_SIZE(self, path)

    auth = DummyAuthorizer()
    auth.add_user(user, password, root, perm="elr")
    Handler.authorizer = auth
    Handler.passive_ports = None
    server = FTPServer(("127.0.0.1", 0), Handler)
    print(server.address[1], flush=True)
    threading.Timer(lifetime, lambda: os._exit(0)).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
