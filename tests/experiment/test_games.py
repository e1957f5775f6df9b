"""The game task and its guard with a fake fieldsim and fake agents, for
what real games cannot show at will: a game past its time-out, a fieldsim
that never listens, a guard whose worker or whose own life ends mid-game.
Real games on a real cluster are in test_real_games.py."""
import json
import os
import subprocess
import sys
import time

import pytest

from conftest import FAKE_AGENT, processes_in
from experiment import commands, game
from experiment.commands import GUARD_SOURCE, plan_game
from experiment.experiment_file import load

WALK = f"""
[[variants]]
name = "fake"
path = "{FAKE_AGENT}"
[[scenarios]]
name = "walk"
kind = "walk"
cycles = {{cycles}}
players = [{{{{ number = 11 }}}}]
"""


def task(write_experiment, cycles, work=None, **fieldsim):
    experiment = load(write_experiment(WALK.format(cycles=cycles), **fieldsim))
    plan = plan_game(experiment, experiment.scenarios[0], experiment.variants[0], "default", 0,
                     commands.base_formation())
    return {**plan, "guard": GUARD_SOURCE, "work": work, "stop": None,
            "watch": {"kind": "walk", "label": "L11", "team": "VEXA3D", "number": 11}}


def wait_for(condition, seconds=20):
    until = time.monotonic() + seconds
    while not condition():
        assert time.monotonic() < until, "waited in vain"
        time.sleep(0.05)


def test_a_game_past_its_time_out_is_ended_with_everything_it_started(write_experiment, tmp_path):
    plan = {**task(write_experiment, 60000, work=str(tmp_path / "work")), "timeout": 1.5}
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
    report = game.play(task(write_experiment, 9, fieldsim=refusing))
    assert report["reason"] == ("fieldsim did not start listening (it exited with status 2:"
                                " fieldsim: unknown option --result)")


@pytest.mark.parametrize("end", ["lifeline", "guard killed"])
def test_no_process_of_a_game_outlives_its_worker_or_its_guard(write_experiment, tmp_path, end):
    folder = tmp_path / "game"
    folder.mkdir()
    plan = game.prepare(task(write_experiment, 60000), str(folder))
    (folder / "plan.json").write_text(json.dumps(plan))
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
