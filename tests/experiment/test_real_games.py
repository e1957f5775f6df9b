"""Real short kinematic games of fieldsim and vexa3d (paths from CTest's
$VEXA_FIELDSIM and $VEXA_AGENT) on a real Dask cluster: a scheduler and two
workers started as separate processes, one of them killed while games run.
Skipped while fieldsim has no --result."""
import json
import os
import signal
import sqlite3
import subprocess
import time

import pytest

from conftest import processes_in
from experiment import cli

FIELDSIM = os.environ.get("VEXA_FIELDSIM", "")
AGENT = os.environ.get("VEXA_AGENT", "")


def has_result_option():
    if not os.path.exists(FIELDSIM):
        return False
    return "--result" in subprocess.run([FIELDSIM, "--help"], capture_output=True,
                                        text=True).stdout


pytestmark = pytest.mark.skipif(not has_result_option(),
                                reason="needs a fieldsim with --result and --push")


@pytest.fixture
def cluster(tmp_path):
    """(scheduler address, worker processes) of a cluster on 127.0.0.1."""
    file = tmp_path / "scheduler.json"
    started = [subprocess.Popen(["/usr/bin/dask", "scheduler", "--host", "127.0.0.1", "--port",
                                 "0", "--no-dashboard", "--scheduler-file", str(file)])]
    until = time.monotonic() + 60
    while not file.exists():
        assert time.monotonic() < until, "the scheduler did not start"
        time.sleep(0.1)
    for _ in range(2):
        started.append(subprocess.Popen(["/usr/bin/dask", "worker", "--scheduler-file", str(file),
                                         "--nthreads", "1", "--no-dashboard", "--no-nanny",
                                         "--host", "127.0.0.1"], start_new_session=True))
    yield json.loads(file.read_text())["address"], started[1:]
    for process in reversed(started):
        process.terminate()
        process.wait(30)


def test_a_killed_worker_leaves_every_game_stored_once_and_nothing_running(
        cluster, write_experiment, tmp_path):
    address, workers = cluster
    file = write_experiment(f"""games = 6
[[variants]]
name = "release"
path = "{AGENT}"
[[scenarios]]
name = "stand-up"
kind = "push"
world = "kinematic"
follow = 400
timeout = 60
players = [{{ number = 2 }}]
push = {{ robot = "L2", cycle = {{ uniform = [200, 300] }} }}
""", fieldsim=FIELDSIM)
    work = tmp_path / "work"
    client = subprocess.Popen(["/usr/bin/python3", "-m", "experiment", str(file), "--scheduler",
                               address, "--results", str(tmp_path), "--work", str(work)],
                              env={**os.environ, "PYTHONPATH": str(cli.__file__.rsplit("/", 2)[0])})
    until = time.monotonic() + 60
    while not processes_in(work):
        assert time.monotonic() < until, "no game started"
        time.sleep(0.1)
    os.kill(workers[0].pid, signal.SIGKILL)
    assert client.wait(300) == 0
    with sqlite3.connect(tmp_path / "trial.sqlite") as db:
        stored = db.execute("SELECT game, status FROM games ORDER BY game").fetchall()
    assert stored == [(game, "done") for game in range(6)]
    until = time.monotonic() + 65  # at most the time-out of the killed worker's game
    while processes_in(work):
        assert time.monotonic() < until, "a game's process outlived its time-out"
        time.sleep(0.5)
