#!/usr/bin/env python3
"""Usage: pty_feed.py LINK FOLDER

The far end of a serial line for a Windows program under Wine: a raw
pseudo-terminal that LINK (the prefix's dosdevices/comN) points at. The
program drops files into FOLDER: each NNNNNN.bytes is written to the line
in name order, then removed; "hang-up" hangs the line up, after a fresh
terminal has taken the port for whatever opens it next. Prints "ready" once
the port is linked.
"""
import os
import sys
import time
import tty


def open_line(link):
    master, slave = os.openpty()
    tty.setraw(slave)  # no byte translated, none taken as flow control
    new_link = link + ".new"
    if os.path.lexists(new_link):
        os.remove(new_link)
    os.symlink(os.ttyname(slave), new_link)
    os.replace(new_link, link)
    return master, slave


def write_all(fd, data):
    while data:
        data = data[os.write(fd, data):]


def main():
    link, folder = sys.argv[1], sys.argv[2]
    master, slave = open_line(link)
    print("ready", flush=True)
    while True:
        for name in sorted(os.listdir(folder)):
            path = os.path.join(folder, name)
            if name.endswith(".bytes"):
                with open(path, "rb") as f:
                    write_all(master, f.read())
                os.remove(path)
            elif name == "hang-up":
                old = (master, slave)
                master, slave = open_line(link)
                os.close(old[1])
                os.close(old[0])
                os.remove(path)
        time.sleep(0.005)


if __name__ == "__main__":
    main()
