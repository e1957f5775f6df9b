"""Plays the games stored in an experiment's database again, one after the
other, by a plain loop of fieldsim and its agents: no Dask, no guard, no
storing. Its wall time is the baseline of the experiment tool's own cost
(scripts/bench.sh experiment). One-team games only (the second team's
agents would have to start after the first team's).

    /usr/bin/python3 bench/experiment_loop.py RESULTS.sqlite
"""
import json
import os
import re
import sqlite3
import subprocess
import sys
import tempfile
import time

PORT = re.compile(rb"listening on 127\.0\.0\.1:(\d+)")


def port_of(server, output):
    while server.poll() is None:
        with open(output, "rb") as text:
            found = PORT.search(text.read())
        if found:
            return found.group(1).decode()
        time.sleep(0.01)
    raise RuntimeError(f"fieldsim ended before it listened: {output}")


def play(game, folder):
    output = os.path.join(folder, "fieldsim.txt")
    with open(output, "wb") as out:
        server = subprocess.Popen([part.replace("{dir}", folder) for part in game["fieldsim"]],
                                  stdout=out, stderr=subprocess.STDOUT)
    port = port_of(server, output)
    agents = []
    for agent in game["agents"]:
        cwd = os.path.join(folder, agent["folder"])
        os.makedirs(cwd)
        with open(os.path.join(cwd, "formations.conf"), "w") as formation:
            formation.write(agent["formation"])
        agents.append(subprocess.Popen([part.replace("{port}", port) for part in agent["command"]],
                                       cwd=cwd, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL))
    if server.wait() != 0 or any(agent.wait() != 0 for agent in agents):
        raise RuntimeError(f"a game failed: {output}")


def main():
    with sqlite3.connect(sys.argv[1]) as db:
        games = [json.loads(identity) for (identity,) in
                 db.execute("SELECT identity FROM games ORDER BY scenario, game")]
    start = time.monotonic()
    for game in games:
        with tempfile.TemporaryDirectory(prefix="vexa-loop-") as folder:
            play(game, folder)
    print(f"{len(games)} {time.monotonic() - start:.1f}")


if __name__ == "__main__":
    main()
