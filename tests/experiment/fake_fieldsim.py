#!/usr/bin/python3
"""A stand-in for fieldsim in the experiment tool's tests: it listens, lets
--agents fake agents register ("TEAM NUMBER"), lasts cycles/1000 seconds,
closes their connections and writes a result file of the agreed format
whose events follow from its options: a walker reaches a ball placed less
than 1 m ahead, a pushed robot falls and stands up again unless pushed with
more than 8 N s. --replay writes a small page."""
import json
import os
import signal
import socket
import sys
import time


def options(argv):
    found = {"--push": None, "--ball": "0,0", "--replay": None, "--join-timeout": "10"}
    for flag, value in zip(argv[::2], argv[1::2]):
        found[flag] = value
    return found


def robot(label, team, number):
    return {"label": label, "side": "left" if label[0] == "L" else "right", "team": team,
            "number": number, "beams": 1, "steps": 0, "side_steps": 0, "kicks": 0, "falls": 0,
            "get_ups": 0, "late_replies": 0, "messages_in": 1, "messages_out": 1,
            "blow_ups": 0, "left_early": False, "start": {"x": -1.0, "y": 0.0, "heading": 0.0},
            "end": {"x": -1.0, "y": 0.0, "heading": 0.0, "torso_height": 0.38,
                    "fallen": False}}


def events_of(robots, given, cycles):
    ball = [float(v) for v in given["--ball"].split(",")]
    first = robots[0]
    found = [{"cycle": 50, "kind": "play-mode", "mode": "KickOff_Left"}]
    if given["--push"]:
        label, rest = given["--push"].split("@")
        cycle, impulse, _ = (rest.split(":") + ["5", "0"])[:3]
        cycle = int(cycle)
        found.append({"cycle": cycle, "kind": "push", "robot": label, "impulse": float(impulse),
                      "direction": 0.0})
        found.append({"cycle": cycle + 5, "kind": "fall", "robot": label})
        first["falls"] += 1
        if float(impulse) <= 8:
            found.append({"cycle": cycle + 400, "kind": "get-up", "robot": label})
            found.append({"cycle": cycle + 450, "kind": "step", "robot": label})
            first["get_ups"] += 1
            first["steps"] += 1
    elif ball[0] - first["start"]["x"] < 1.0:
        found.append({"cycle": 550, "kind": "near-ball", "robot": first["label"],
                      "distance": 0.34})
    return sorted(found, key=lambda event: event["cycle"])


def main():
    given = options(sys.argv[1:])
    stop = []
    signal.signal(signal.SIGTERM, lambda *_: stop.append(1))
    server = socket.socket()
    server.bind(("127.0.0.1", 0))
    server.listen()
    print(f"fieldsim: listening on 127.0.0.1:{server.getsockname()[1]}", flush=True)
    server.settimeout(float(given["--join-timeout"]))
    clients, robots, teams = [], [], []
    try:
        while len(clients) < int(given["--agents"]):
            connection, _ = server.accept()
            team, number = connection.makefile().readline().split()
            teams += [team] if team not in teams else []
            robots.append(robot(f"{'LR'[teams.index(team)]}{number}", team, int(number)))
            clients.append(connection)
    except socket.timeout:
        pass
    cycles = int(given["--cycles"])
    until = time.monotonic() + cycles / 1000
    while robots and not stop and time.monotonic() < until:
        time.sleep(0.01)
    for connection in clients:
        connection.close()
    status = "interrupted" if stop else "completed" if robots else "no-agents"
    result = {
        "format": 1, "status": status, "reason": "" if robots else "no agent registered",
        "command": sys.argv, "world": {"kind": "kinematic"}, "cycles": cycles,
        "cycle_seconds": 0.02, "kick_off_cycle": 50 if robots else None, "wall_seconds": 0.1,
        "cycles_per_second": 1000.0, "teams": {"left": teams[0] if teams else None,
                                               "right": teams[1] if len(teams) > 1 else None},
        "score": {"left": 0, "right": 0},
        "ball": {"start": [float(v) for v in given["--ball"].split(",")],
                 "end": [0.0, 0.0], "moved": 0.0},
        "robots": robots, "events": events_of(robots, given, cycles) if robots else [],
    }
    if given["--replay"]:
        with open(given["--replay"], "w") as page:
            page.write("<!DOCTYPE html><title>replay</title>")
    with open(given["--result"] + ".part", "w") as out:
        json.dump(result, out)
    os.rename(given["--result"] + ".part", given["--result"])


if __name__ == "__main__":
    main()
