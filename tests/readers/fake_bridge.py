#!/usr/bin/env python3
"""A stand-in for a reader bridge program, started by the consoles' "starten".

Usage: fake_bridge.py MODE ARGS...
  lines   print a few lines the way a bridge's runtime writes them (split across writes,
          empty lines, LF and CR LF ends), then keep running until ended
  exit    print "A" and a line split over two writes with no final line end, then exit
  serve   the last argument is the TCP port to serve on 127.0.0.2: "s" starts reporting
          (one tag-read line per "s"), "e" stops it, "z" sets the clock; every byte
          received is echoed as a line on standard output
Every mode ends by itself after 30 seconds, so that a failed test leaves nothing behind.
"""
import socket
import sys
import time

DEADLINE = time.time() + 30


def out(text):
    sys.stdout.write(text)
    sys.stdout.flush()


def lines():
    out("Bridge startet\r\n")
    out("Reader ")
    time.sleep(0.2)
    out("verbunden\r\n\r\n")
    out("Antennen: " + " ".join(sys.argv[2:]) + "\n")
    while time.time() < DEADLINE:
        time.sleep(0.1)


def exit_now():
    out("A\r\nB")
    time.sleep(0.2)
    out(" fertig")


def serve():
    port = int(sys.argv[-1])
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.2", port))
    server.listen(1)
    server.settimeout(max(0.1, DEADLINE - time.time()))
    out("bereit " + " ".join(sys.argv[2:]) + "\r\n")
    try:
        peer, _ = server.accept()
    except socket.timeout:
        return
    peer.settimeout(0.1)
    while time.time() < DEADLINE:
        try:
            data = peer.recv(4096)
        except socket.timeout:
            continue
        if not data:
            break
        out("RX " + repr(data.decode("latin-1")) + "\r\n")
        for letter in data.decode("latin-1"):
            if letter == "s":
                # Tag 123 as this bridge writes its reads: the digits two by two from the back.
                peer.sendall(b"230100000000000000000000\r\n")
            elif letter == "e":
                out("Reporting aus\r\n")
            elif letter == "z":
                out("Uhrzeit gesetzt\r\n")


if __name__ == "__main__":
    {"lines": lines, "exit": exit_now, "serve": serve}[sys.argv[1]]()
