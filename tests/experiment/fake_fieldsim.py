#!/usr/bin/python3
"""A stand-in for fieldsim in the game task's tests: it listens, lets
--agents fake agents register ("TEAM NUMBER"), lasts cycles/1000 seconds or
until SIGTERM, closes their connections and writes a result file whose
status says how the game ended."""
import json
import os
import signal
import socket
import sys
import time


def main():
    given = dict(zip(sys.argv[1::2], sys.argv[2::2]))
    stop = []
    signal.signal(signal.SIGTERM, lambda *_: stop.append(1))
    server = socket.socket()
    server.bind(("127.0.0.1", 0))
    server.listen()
    print(f"fieldsim: listening on 127.0.0.1:{server.getsockname()[1]}", flush=True)
    clients = [server.accept()[0] for _ in range(int(given["--agents"]))]
    until = time.monotonic() + int(given["--cycles"]) / 1000
    while not stop and time.monotonic() < until:
        time.sleep(0.01)
    for connection in clients:
        connection.close()
    result = {"format": 1, "status": "interrupted" if stop else "completed",
              "reason": "ended by SIGTERM" if stop else "", "command": sys.argv,
              "kick_off_cycle": None, "robots": [], "events": []}
    with open(given["--result"] + ".part", "w") as out:
        json.dump(result, out)
    os.rename(given["--result"] + ".part", given["--result"])


if __name__ == "__main__":
    main()
