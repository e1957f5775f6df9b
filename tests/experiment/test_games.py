"""Games played by the fake fieldsim and fake agents: the guard, the game
task, and whole runs on a local Dask cluster (stored once, resumed, refused,
retried, interrupted, a worker killed)."""
import json
import os
import signal
import sqlite3
import subprocess
import sys
import threading
import time
from pathlib import Path

import distributed
import pytest

from conftest import FAKE_AGENT, FAKE_FIELDSIM, processes_in
from experiment import cli, commands, game, runner
from experiment.commands import GUARD_SOURCE, plan_game
from experiment.figures import watch_of
from experiment.spec import load
from experiment.store import Store

SCENARIOS = """
[[scenarios]]
name = "walk"
kind = "walk"
cycles = {cycles}
players = [{{ number = 11 }}]
ball = {{ x = {{ uniform = [-0.6, 0.6] }}, y = 0 }}

[[scenarios]]
name = "push"
kind = "push"
follow = {cycles}
players = [{{ number = 2 }}, {{ team = "RIVALS", number = 2 }}]
push = {{ robot = "L2", cycle = {{ uniform = [10, 50] }}, impulse = {{ choice = [5, 9] }} }}
"""


def variants(*paths):
    return "".join(f'[[variants]]\nname = "v{i}"\npath = "{path}"\n' for i, path in enumerate(paths))


def task(experiment, index=0, work=None):
    scenario = experiment.scenarios[0]
    plan = plan_game(experiment, scenario, experiment.variants[0], "default", index,
                     commands.base_formation())
    return {**plan, "guard": GUARD_SOURCE, "work": work, "stop": None,
            "moment": lambda result, markers: None}


def rows(database):
    with sqlite3.connect(database) as db:
        db.row_factory = sqlite3.Row
        return [dict(row) for row in db.execute("SELECT * FROM games")]


def wait_for(condition, seconds=20):
    until = time.monotonic() + seconds
    while not condition():
        assert time.monotonic() < until, "waited in vain"
        time.sleep(0.05)


def test_a_game_past_its_time_out_is_ended_with_everything_it_started(write_experiment, tmp_path):
    experiment = load(write_experiment(variants(FAKE_AGENT) + SCENARIOS.format(cycles=60000)))
    plan = {**task(experiment, work=str(tmp_path / "work")), "timeout": 1.5}
    report = game.play(plan)
    assert (report["ok"], report["reason"]) == (False, "timed out")
    assert report["result"]["status"] == "interrupted"
    assert "listening on" in report["tails"]["fieldsim.txt"]
    assert "formation *11 -0.6 0 0" in report["tails"]["VEXA3D-11/output.txt"]
    assert report["commands"][1][4] != "{port}" and "{dir}" not in " ".join(report["commands"][0])
    assert processes_in(tmp_path / "work") == [] and os.listdir(tmp_path / "work") == []


def test_a_fieldsim_that_refuses_its_options_is_a_failure_with_its_line(write_experiment,
                                                                        tmp_path):
    refusing = tmp_path / "old_fieldsim"
    refusing.write_text("#!/bin/sh\necho 'fieldsim: unknown option --result'\nexit 2\n")
    refusing.chmod(0o755)
    experiment = load(write_experiment(variants(FAKE_AGENT) + SCENARIOS.format(cycles=9),
                                       fieldsim=refusing))
    report = game.play(task(experiment))
    assert report["reason"] == ("fieldsim did not start listening (it exited with status 2:"
                                " fieldsim: unknown option --result)")


@pytest.mark.parametrize("end", ["lifeline", "guard killed"])
def test_no_process_of_a_game_outlives_its_worker_or_its_guard(write_experiment, tmp_path, end):
    experiment = load(write_experiment(variants(FAKE_AGENT) + SCENARIOS.format(cycles=60000)))
    folder = tmp_path / "game"
    folder.mkdir()
    (folder / "plan.json").write_text(json.dumps(game.prepare(task(experiment), str(folder))))
    (folder / "guard.py").write_text(GUARD_SOURCE)
    guard = subprocess.Popen([sys.executable, folder / "guard.py", folder / "plan.json",
                              folder / "outcome.json"], stdin=subprocess.PIPE,
                             start_new_session=True)
    wait_for(lambda: "formation" in game.tail(folder / "VEXA3D-11" / "output.txt"))
    assert len(processes_in(folder)) == 3  # the guard, fieldsim and the agent
    if end == "lifeline":
        guard.stdin.close()
    else:
        guard.kill()
    guard.wait(10)
    wait_for(lambda: processes_in(folder) == [], seconds=5)


def test_a_local_cluster_stores_every_game_once_and_resumes(write_experiment, tmp_path,
                                                            monkeypatch, capsys):
    monkeypatch.setattr(commands, "JOIN_TIMEOUT_SECONDS", 1)
    file = write_experiment("games = 3\n" + variants(FAKE_AGENT, "/bin/true") +
                            SCENARIOS.format(cycles=100))
    base = [str(file), "--workers", "2", "--results", str(tmp_path), "--retries", "1"]
    assert cli.main(base + ["--games", "2"]) == 0
    assert "8 games to play" in capsys.readouterr().err
    assert cli.main(base) == 0
    out, err = capsys.readouterr()
    assert "8 games to play" in err  # game 2 of the 4 cells, and v1's 4 failed ones again
    stored = rows(tmp_path / "trial.sqlite")
    assert len(stored) == 12 and all(row["experiment"] == "trial" for row in stored)
    good = [row for row in stored if row["variant"] == "v0"]
    assert all(row["status"] == "done" and row["attempts"] == 1 for row in good)
    assert all(json.loads(row["commands"])[0][0] == FAKE_FIELDSIM and
               row["worker"].startswith("tcp://127.0.0.1:") for row in good)
    failed = [row for row in stored if row["variant"] == "v1"]
    assert all(row["status"] == "failed" and row["attempts"] == 2 and row["result"] and
               row["error"].count("no-agents") == 2 for row in failed)
    assert {row["game"] for row in stored} == {0, 1, 2}
    # The 9 N s pushes keep the robot down: their pages are kept and linked.
    links = [row["replay"] for row in good if row["replay"] and row["scenario"] == "push"]
    pushes = [json.loads(row["conditions"])["push"] for row in good if row["scenario"] == "push"]
    assert len(links) == sum(push["impulse"] == 9 for push in pushes)
    assert all(f"#t={json.loads(row['conditions'])['push']['cycle']}&follow=L2" in row["replay"]
               for row in good if row["replay"] and row["scenario"] == "push")
    for scenario in ("walk", "push"):
        assert f"### {scenario} ({scenario})" in out
    page = (tmp_path / "trial.html").read_text()
    assert page.count("<svg") >= 4 and "v1 · default" in page and "no-agents" in page

    file.write_text(file.read_text().replace("seed = 7", "seed = 8"))
    assert cli.main(base) == 2
    assert "--fresh" in capsys.readouterr().err
    assert cli.main(base + ["--fresh", "--report-only"]) == 0
    assert rows(tmp_path / "trial.sqlite") == []


def test_a_path_missing_on_a_worker_is_refused_in_one_line_before_any_game(
        write_experiment, tmp_path, capsys):
    file = write_experiment(variants(FAKE_AGENT, "/nowhere/vexa3d") + SCENARIOS.format(cycles=9))
    assert cli.main([str(file), "--workers", "1", "--results", str(tmp_path)]) == 2
    refusal = capsys.readouterr().err.strip().splitlines()[-1]
    assert refusal.startswith("experiment: the workers lack paths: tcp://127.0.0.1:")
    assert refusal.endswith("lacks /nowhere/vexa3d")
    assert rows(tmp_path / "trial.sqlite") == []


def test_a_killed_worker_costs_no_game_and_leaves_no_process(write_experiment, tmp_path):
    experiment = load(write_experiment("games = 8\n" + variants(FAKE_AGENT) +
                                       SCENARIOS.format(cycles=1500)))
    experiment.scenarios = experiment.scenarios[:1]
    work = tmp_path / "work"
    store = Store(tmp_path / "trial.sqlite")
    plans = [plan for _, plan, _ in cli.plans(experiment, None)]
    cluster = distributed.LocalCluster(n_workers=2, threads_per_worker=1, dashboard_address=None)
    client = distributed.Client(cluster)
    try:
        victim = next(iter(client.run(os.getpid).values()))
        killer = threading.Thread(target=lambda: (wait_for(lambda: processes_in(work)),
                                                  os.kill(victim, signal.SIGKILL)))
        killer.start()
        run = runner.Runner(client, store, experiment, 2, tmp_path, str(work))
        watches = {s.name: watch_of(s) for s in experiment.scenarios}
        assert run.play(plans, watches, runner.Progress(len(plans), open(os.devnull, "w")))
        killer.join()
    finally:
        client.close()
        cluster.close()
    stored = rows(tmp_path / "trial.sqlite")
    assert sorted(row["game"] for row in stored) == list(range(8))
    assert all(row["status"] == "done" for row in stored)
    wait_for(lambda: processes_in(work) == [], seconds=10)


def test_ctrl_c_keeps_what_is_done_and_the_next_run_plays_the_rest(write_experiment, tmp_path):
    file = write_experiment("games = 6\n" + variants(FAKE_AGENT) + SCENARIOS.format(cycles=800))
    command = [sys.executable, "-m", "experiment", str(file), "--workers", "1", "--results",
               str(tmp_path), "--work", str(tmp_path / "work")]
    environment = {**os.environ, "PYTHONPATH": str(Path(cli.__file__).parents[1])}
    client = subprocess.Popen(command, env=environment, stderr=subprocess.PIPE, text=True)
    wait_for(lambda: (tmp_path / "trial.sqlite").exists() and
             len(rows(tmp_path / "trial.sqlite")) >= 2, seconds=60)
    client.send_signal(signal.SIGINT)
    _, err = client.communicate(timeout=60)
    assert client.returncode == 130 and "Run the same command again" in err
    kept = len(rows(tmp_path / "trial.sqlite"))
    assert 2 <= kept < 12
    wait_for(lambda: processes_in(tmp_path / "work") == [], seconds=10)
    again = subprocess.run(command + ["--games", "6"], env=environment, stderr=subprocess.PIPE,
                           text=True, timeout=120)
    assert again.returncode == 0 and f"{12 - kept} games to play" in again.stderr
    assert len(rows(tmp_path / "trial.sqlite")) == 12
