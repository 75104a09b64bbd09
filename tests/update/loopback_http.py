"""Loopback HTTP server for the update tests.

Serves the folder given as the first argument on 127.0.0.1 at a free port and prints
"PORT <n>" once it listens. Under the prefixes /kurz/, /reset/ and /stau/ a .zip
file is cut short: the announced length is the whole file, but only half of it is
sent; then the connection closes, is reset, or stalls until the server is stopped.
"""
import http.server
import os
import socket
import socketserver
import struct
import sys
import time


class Handler(http.server.SimpleHTTPRequestHandler):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=sys.argv[1], **kwargs)

    def log_message(self, format, *args):
        pass

    def do_GET(self):
        prefix, _, name = self.path[1:].partition("/")
        if prefix in ("kurz", "reset", "stau"):
            path = os.path.join(sys.argv[1], name)
            if name.endswith(".zip") and os.path.isfile(path):
                with open(path, "rb") as f:
                    data = f.read()
                self.send_response(200)
                self.send_header("Content-Type", "application/zip")
                self.send_header("Content-Length", str(len(data)))
                self.end_headers()
                self.wfile.write(data[: len(data) // 2])
                self.wfile.flush()
                if prefix == "stau":
                    time.sleep(3600)
                if prefix == "reset":
                    self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                    self.connection.close()
                self.close_connection = True
                return
            self.path = "/" + name
        super().do_GET()


class Server(http.server.ThreadingHTTPServer):
    def server_bind(self):
        # The standard bind looks the host's name up, which can wait for a name server.
        socketserver.TCPServer.server_bind(self)
        self.server_name = "127.0.0.1"
        self.server_port = self.server_address[1]


server = Server(("127.0.0.1", 0), Handler)
sys.stdout.write("PORT %d\n" % server.server_address[1])
sys.stdout.flush()
server.serve_forever()
