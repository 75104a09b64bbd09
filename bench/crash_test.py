#!/usr/bin/env python3
"""Crash test: the real main window takes results at the Enter key with the backup line on
(crash_take_results) and is killed with SIGKILL at random moments, again and again on the same
folder. After every kill:
  - every result the program acknowledged is in the database,
  - PRAGMA integrity_check answers ok and no place of the run is given twice,
  - the backup lines and the rows agree: every line has its row, every acknowledged row its
    line, and at most the one result the kill interrupted has a row without a line.

  bench/crash_test.py [--kills 50] [--build build] [--max-delay 1.5] [--folder DIR]
Exits 1 on the first fault (the folder is kept for a look), 0 when every kill passed.
"""
import argparse
import collections
import os
import random
import re
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile
import threading
import time

LINE = re.compile(r"Platz: (\d+)\s+Startnummer: (\S+)\s+Zeit: .*?;(-?\d+);(-?\d+);")


def read_acks(proc, acks, ready):
    for raw in proc.stdout:
        line = raw.decode(errors="replace").strip()
        if line == "ready":
            ready.set()
        elif line.startswith("ack "):
            acks.append(int(line[4:]))


def check(folder, acked_total):
    faults = []
    db = sqlite3.connect(os.path.join(folder, "Chronvo.mdb"))
    # Opening after the kill rolls a hot journal back, as the program's next start would.
    integrity = db.execute("PRAGMA integrity_check").fetchone()[0]
    if integrity != "ok":
        faults.append("integrity_check: " + integrity)
    rows = db.execute("select Platzierung, Startnummer, Millisekunden from Chronvo where Laufnummer = 1").fetchall()
    db.close()
    places = collections.Counter(r[0] for r in rows)
    twice = [p for p, n in places.items() if n > 1]
    if twice:
        faults.append("places given twice: %s" % twice[:10])
    per_number = collections.Counter(r[1] for r in rows)
    for number, n in acked_total.items():
        if per_number[number] < n:
            faults.append("start number %d acknowledged %d times, %d rows" % (number, n, per_number[number]))
    lines = []
    log = os.path.join(folder, "backup.log")
    if os.path.exists(log):
        with open(log, "rb") as f:
            text = f.read().decode("latin-1")
        if text and not text.endswith("\r\n"):
            faults.append("backup file ends in a cut line")
        for line in text.split("\r\n"):
            m = LINE.search(line)
            if m:
                lines.append((int(m.group(1)), int(m.group(2)), int(m.group(3))))
            elif line and not line.startswith("------"):
                faults.append("backup line not readable: %r" % line[:80])
    row_set = collections.Counter(rows)
    line_set = collections.Counter(lines)
    without_row = line_set - row_set
    if without_row:
        faults.append("backup lines without a row: %s" % list(without_row)[:5])
    without_line = row_set - line_set
    return faults, len(rows), len(lines), sum(without_line.values())


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--kills", type=int, default=50)
    parser.add_argument("--build", default=os.path.join(os.path.dirname(__file__), "..", "build"))
    parser.add_argument("--max-delay", type=float, default=1.5)
    parser.add_argument("--folder")
    args = parser.parse_args()
    program = os.path.join(args.build, "bench", "crash_take_results")
    folder = args.folder or tempfile.mkdtemp(prefix="crash_test-", dir=os.path.dirname(os.path.abspath(program)))
    os.makedirs(folder, exist_ok=True)
    shutil.copy(os.path.join(args.build, "app", "Chronvo.mdb"), os.path.join(folder, "Chronvo.mdb"))
    os.chmod(os.path.join(folder, "Chronvo.mdb"), 0o600)

    acked_total = collections.Counter()
    count = 0
    interrupted = 0
    for kill in range(1, args.kills + 1):
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        proc = subprocess.Popen([program, folder, str(count)], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                env=env)
        acks, ready = [], threading.Event()
        reader = threading.Thread(target=read_acks, args=(proc, acks, ready))
        reader.start()
        if not ready.wait(30):
            proc.kill()
            print("kill %d: the program did not start" % kill)
            return 1
        time.sleep(random.uniform(0, args.max_delay))
        proc.send_signal(signal.SIGKILL)
        proc.wait()
        reader.join()
        count += len(acks)
        acked_total.update(acks)
        faults, rows, lines, without_line = check(folder, acked_total)
        interrupted += 1
        # One result per kill may have been stored without its line (killed between the two).
        if without_line > interrupted:
            faults.append("%d rows without a backup line after %d kills" % (without_line, kill))
        print("kill %2d: %4d acknowledged now, %6d in all; rows %6d, backup lines %6d, rows without line %d%s"
              % (kill, len(acks), sum(acked_total.values()), rows, lines, without_line,
                 "" if not faults else " FAULT"))
        if faults:
            for f in faults:
                print("  " + f)
            print("folder kept: " + folder)
            return 1
    print("%d kills: no acknowledged result lost, integrity ok every time" % args.kills)
    shutil.rmtree(folder)
    return 0


if __name__ == "__main__":
    sys.exit(main())
