"""A game's plan: the exact command lines of fieldsim and its agents, and the
files the agents need, as one JSON-able dict that a worker plays as it is.

"{dir}" stands for the game's fresh folder and "{port}" for the port fieldsim
listens on; the worker fills both in. The plan without the parts that differ
from one run to the next (the replay page) is the game's identity: a stored
game whose identity differs from today's plan was played under other
conditions.
"""
from pathlib import Path

from .conditions import formation_text, game_conditions, read_formation
from .experiment_file import REPO

# A game whose agents never register ends after this many seconds.
JOIN_TIMEOUT_SECONDS = 10
RESULT = "{dir}/result.json"
REPLAY = "{dir}/replay.html"
GUARD_SOURCE = (Path(__file__).parent / "guard.py").read_text()


def _text(number):
    return repr(number) if isinstance(number, float) else str(number)


def fieldsim_command(experiment, scenario, setting, conditions):
    world = {**scenario.world, **experiment.settings[setting]}
    command = [experiment.fieldsim, "--port", "0", "--agents", str(len(scenario.players)),
               "--join-timeout", str(JOIN_TIMEOUT_SECONDS), "--cycles", str(conditions["cycles"])]
    for key in ("world", "cfm", "solver"):
        if key in world:
            command += [f"--{key}", _text(world[key])]
    if "ball" in conditions:
        command += ["--ball", ",".join(map(_text, conditions["ball"]))]
    if "push" in conditions:
        push = conditions["push"]
        command += ["--push", f"{push['robot']}@{push['cycle']}:{_text(push['impulse'])}:"
                              f"{_text(push['direction'])}"]
    return command + ["--result", RESULT]


def agent_commands(scenario, variant, conditions, base_formation):
    agents = []
    for player in scenario.players:
        place = conditions.get("places", {}).get(player.label, {})
        agents.append({
            "label": player.label,
            "folder": player.folder,
            "command": [variant.path, "-s", "127.0.0.1", "-p", "{port}", "-t", player.team,
                        "-n", str(player.number)],
            "formation": formation_text(base_formation, (player.number, place)),
        })
    return agents


def base_formation():
    return read_formation((REPO / "formations.conf").read_text())


def plan_game(experiment, scenario, variant, setting, index, formation):
    conditions = game_conditions(experiment.seed, scenario, index)
    agents = agent_commands(scenario, variant, conditions, formation)
    return {
        "experiment": experiment.name,
        "scenario": scenario.name,
        "variant": variant.name,
        "setting": setting,
        "index": index,
        "conditions": conditions,
        "fieldsim": fieldsim_command(experiment, scenario, setting, conditions),
        "agents": agents,
        # The second team's agents start a moment after the first team's, so
        # that the first team listed is the left one.
        "second_team": next((i for i, p in enumerate(scenario.players) if p.side == "R"), None),
        "markers": list(scenario.markers),
        "timeout": scenario.timeout,
        "paths": [experiment.fieldsim, variant.path],
    }


def identity(plan):
    return {key: plan[key] for key in ("conditions", "fieldsim", "agents")}


def with_replay(plan):
    """The plan of a game whose replay page is kept if the trial fails."""
    return {**plan, "fieldsim": plan["fieldsim"] + ["--replay", REPLAY], "replay": True}
