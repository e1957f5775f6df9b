"""Real short kinematic games of fieldsim and vexa3d (paths from CTest's
$VEXA_FIELDSIM and $VEXA_AGENT) on a real Dask cluster: a scheduler and two
workers started as separate processes, outside this checkout's Python path.

One experiment is interrupted on a local cluster by Ctrl-C, then finished on
the cluster while one of its workers is killed; a variant whose binary exits
at once fails, the other is reported; the report opens in Chromium."""
import json
import os
import shutil
import signal
import sqlite3
import subprocess
import time
from pathlib import Path

import pytest
from distributed import Client

from conftest import processes_in

FIELDSIM = os.environ.get("VEXA_FIELDSIM", "")
AGENT = os.environ.get("VEXA_AGENT", "")
SCRIPTS = Path(__file__).resolve().parents[2] / "scripts"
GAMES = 3
TIMEOUT = 40  # seconds a game may take, and so the longest a killed game's processes may live

pytestmark = pytest.mark.skipif(not (os.path.exists(FIELDSIM) and os.path.exists(AGENT)),
                                reason="needs $VEXA_FIELDSIM and $VEXA_AGENT")


def experiment_file(folder, broken):
    """Two scenarios, each with the release build and a broken one. The
    stand-up is followed too briefly for the robot to stand: every trial
    fails, and the first two keep their replay pages."""
    path = folder / "trial.toml"
    path.write_text(f"""seed = 11
games = {GAMES}
timeout = {TIMEOUT}
replays = 2
fieldsim = "{FIELDSIM}"
[[variants]]
name = "release"
path = "{AGENT}"
[[variants]]
name = "broken"
path = "{broken}"
[[scenarios]]
name = "stand-up"
kind = "push"
world = "kinematic"
follow = 300
players = [{{ number = 2 }}]
push = {{ robot = "L2", cycle = {{ uniform = [200, 300] }} }}
[[scenarios]]
name = "walk"
kind = "walk"
world = "kinematic"
cycles = 500
players = [{{ number = 11, heading = {{ uniform = [-20, 20] }} }}]
ball = {{ x = {{ uniform = [-0.4, 0.4] }}, y = {{ uniform = [-0.3, 0.3] }} }}
""")
    return path


def wait_for(condition, seconds, what):
    """The condition's first true value within the seconds."""
    until = time.monotonic() + seconds
    while not (value := condition()):
        assert time.monotonic() < until, what
        time.sleep(0.05)
    return value


def stored(database):
    if not database.exists():
        return []
    with sqlite3.connect(database) as db:
        db.row_factory = sqlite3.Row
        return [dict(row) for row in db.execute("SELECT * FROM games")]


@pytest.fixture(scope="module")
def cluster(tmp_path_factory):
    """(scheduler address, worker processes): a scheduler and two workers of
    one thread on 127.0.0.1, in a folder of their own and without this
    checkout on their Python path, as on another machine."""
    folder = tmp_path_factory.mktemp("cluster")
    file = folder / "scheduler.json"
    environment = {key: value for key, value in os.environ.items() if key != "PYTHONPATH"}

    def start(*arguments):
        return subprocess.Popen(["/usr/bin/dask", *arguments], cwd=folder, env=environment,
                                stderr=subprocess.DEVNULL)

    started = [start("scheduler", "--host", "127.0.0.1", "--port", "0", "--no-dashboard",
                     "--scheduler-file", str(file))]
    wait_for(file.exists, 60, "the scheduler did not start")
    started += [start("worker", "--scheduler-file", str(file), "--nthreads", "1",
                      "--no-dashboard", "--no-nanny", "--host", "127.0.0.1") for _ in range(2)]
    address = json.loads(file.read_text())["address"]
    # Both workers registered before any test counts them.
    with Client(address, timeout=60) as client:
        client.wait_for_workers(2, timeout=60)
    yield address, started[1:]
    for process in reversed(started):
        process.terminate()
        process.wait(30)


def experiment(folder, *options, **popen):
    command = ["/usr/bin/python3", "-m", "experiment", str(folder / "trial.toml"), "--results",
               str(folder), "--work", str(folder / "work"), *options]
    return subprocess.Popen(command, env={**os.environ, "PYTHONPATH": str(SCRIPTS)},
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, **popen)


# Runs first, while the module's cluster still has both its workers.
def test_a_binary_missing_on_the_workers_is_refused_in_one_line_before_any_game(cluster,
                                                                               tmp_path):
    address, _ = cluster
    experiment_file(tmp_path, "/nowhere/vexa3d")
    out, err = experiment(tmp_path, "--scheduler", address).communicate(timeout=120)
    refusal = err.strip().splitlines()
    assert len(refusal) == 2
    assert refusal[0].startswith(f"experiment trial: {2 * 2 * GAMES} games to play")
    assert refusal[1].startswith("experiment: every worker must run fieldsim and each variant's")
    assert refusal[1].count("lacks /nowhere/vexa3d") == 2 and refusal[1].count("tcp://") == 2
    assert stored(tmp_path / "trial.sqlite") == []


def interrupt_on_a_local_cluster(folder):
    """Ctrl-C on the terminal (SIGINT to the whole process group) once two
    games are stored; returns how many were."""
    client = experiment(folder, "--workers", "2", start_new_session=True)
    wait_for(lambda: len(stored(folder / "trial.sqlite")) >= 2, 120, "no game was stored")
    os.killpg(client.pid, signal.SIGINT)
    _, err = client.communicate(timeout=60)
    assert client.returncode == 130 and "Run the same command again" in err, err
    wait_for(lambda: processes_in(folder / "work") == [], 10, "a game outlived Ctrl-C")
    return len(stored(folder / "trial.sqlite"))


def kill_a_worker_in_a_game(workers, work):
    """SIGKILL to a worker whose guard is playing a game with its fieldsim
    and agent running; returns the pids of that game's processes."""
    pids = {worker.pid: worker for worker in workers}

    def parent(pid):
        status = Path(f"/proc/{pid}/status").read_text()
        return int(status.split("PPid:")[1].split()[0])

    def a_game():
        try:
            for guard in (pid for pid in processes_in(work) if parent(pid) in pids):
                script = Path(f"/proc/{guard}/cmdline").read_bytes().split(b"\0")[1].decode()
                game = processes_in(Path(script).parent)
                if len(game) >= 3:
                    return guard, game
        except OSError:  # a process ended meanwhile
            pass
        return None

    guard, game = wait_for(a_game, 120, "no worker played a game")
    pids[parent(guard)].kill()
    return game


def test_an_interrupted_experiment_resumes_on_a_cluster_that_loses_a_worker(cluster, tmp_path):
    address, workers = cluster
    broken = tmp_path / "broken-vexa3d"
    broken.write_text("#!/bin/sh\necho 'vexa3d: this build is broken' >&2\nexit 3\n")
    broken.chmod(0o755)
    experiment_file(tmp_path, broken)
    kept = interrupt_on_a_local_cluster(tmp_path)
    assert kept < 2 * 2 * GAMES

    client = experiment(tmp_path, "--scheduler", address, "--retries", "1")
    game = kill_a_worker_in_a_game(workers, tmp_path / "work")
    out, err = client.communicate(timeout=300)
    assert client.returncode == 0, err
    assert f"{2 * 2 * GAMES - kept} games to play" in err

    rows = stored(tmp_path / "trial.sqlite")
    keys = sorted((row["scenario"], row["variant"], row["game"]) for row in rows)
    assert keys == sorted((scenario, variant, game) for scenario in ("stand-up", "walk")
                          for variant in ("release", "broken") for game in range(GAMES))
    good = [row for row in rows if row["variant"] == "release"]
    assert all(row["status"] == "done" and json.loads(row["result"])["status"] == "completed"
               for row in good)
    bad = [row for row in rows if row["variant"] == "broken"]
    assert all(row["status"] == "failed" and row["attempts"] == 2 and
               row["error"].count("agent L2 exited with status 3" if row["scenario"] ==
                                  "stand-up" else "agent L11 exited with status 3") == 2 and
               "this build is broken" in row["tails"] for row in bad)
    # The broken variant's columns are empty, the release build's filled in.
    assert "| games: counted / failed | 3 / 0 | 0 / 3 |" in out
    assert "| toppled, of those up | 100 % [44, 100] of 3 | – |" in out

    # The killed worker's game, and every other, ends within its time-out.
    wait_for(lambda: not any(os.path.exists(f"/proc/{pid}") for pid in game), TIMEOUT,
             "a game's process outlived its worker")
    wait_for(lambda: processes_in(tmp_path / "work") == [], TIMEOUT, "a game outlived the run")

    # Failed trials keep their replay pages, linked at the push.
    links = [(row["replay"], json.loads(row["conditions"])["push"]["cycle"])
             for row in good if row["replay"] and row["scenario"] == "stand-up"]
    assert len(links) == 2
    for link, push in links:
        page, fragment = link.split("#")
        assert fragment == f"t={push}&follow=L2"
        assert (tmp_path / page).read_bytes()[:15].lower() == b"<!doctype html>"

    report = subprocess.run([shutil.which("node"), str(Path(__file__).parent / "open_report.mjs"),
                             str(tmp_path / "trial.html")], capture_output=True, text=True,
                            timeout=120)
    assert report.returncode == 0, report.stderr
    shown = json.loads(report.stdout)
    assert shown["problems"] == []
    assert [scenario["name"] for scenario in shown["scenarios"]] == ["stand-up", "walk"]
    assert all(scenario["area"] > 0 and scenario["rows"] > 5 and
               scenario["header"] == ["figure", "release · default", "broken · default"]
               for scenario in shown["scenarios"])
    assert shown["plots"] >= 4
