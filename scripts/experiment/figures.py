"""Each game's figures, computed from its stored result (fieldsim's result
file) and the marker lines counted in the agents' output.

A figure is a share (True/False per game) or a number per game; None where it
does not apply to the game (no time to reach a ball that was not reached).
Only the standard library is used: the failure test travels to the workers.
"""
import math
from dataclasses import dataclass

# A push topples a robot when it falls within this many cycles after it.
TOPPLE_CYCLES = 100


@dataclass(frozen=True)
class Figure:
    key: str
    title: str
    share: bool = False
    # The figures whose distribution is plotted per variant and setting.
    spread: bool = False


FIGURES = {
    "walk": (
        Figure("reached", "reached the ball", share=True),
        Figure("time_to_reach", "time to reach it (s)", spread=True),
        Figure("forward_speed", "forward speed (m/s)"),
        Figure("falls_per_minute", "falls per minute"),
        Figure("kicked", "kicked the ball", share=True),
        Figure("kick_distance", "ball moved when kicked (m)"),
    ),
    "push": (
        Figure("down_before", "already down when pushed", share=True),
        Figure("toppled", "toppled, of those up", share=True),
        Figure("stood_up", "stood up, of those toppled", share=True),
        Figure("walked_on", "stood up and walked on, of those toppled", share=True),
        Figure("time_to_stand", "time to stand (s)", spread=True),
    ),
    "keeper": (
        Figure("completed", "its stand-up sequence completed", share=True),
        Figure("sequences", "stand-up sequences completed"),
        Figure("falls", "falls"),
        Figure("down_at_end", "down at the end", share=True),
    ),
    "match": (
        Figure("goals", "goals per game"),
        Figure("kicks", "kicks per game"),
        Figure("falls_per_player_minute", "falls per player-minute"),
        Figure("late_replies", "late replies per game"),
        Figure("blow_ups", "blow-ups per game"),
    ),
}


@dataclass(frozen=True)
class Watch:
    """What a scenario looks at: its kind and the player it watches."""
    kind: str
    label: str
    team: str
    number: int
    marker: str = ""


def watch_of(scenario):
    player = next(p for p in scenario.players if p.label == scenario.watch)
    return Watch(scenario.kind, player.label, player.team, player.number,
                 scenario.markers[0] if scenario.markers else "")


def robot_of(result, watch):
    return next((robot for robot in result["robots"]
                 if robot["team"] == watch.team and robot["number"] == watch.number), None)


def events(result, kind, label=None):
    return [event for event in result["events"]
            if event["kind"] == kind and (label is None or event.get("robot") == label)]


def falls_in_play(result, label=None):
    """Falls from the kick-off on, the time a rate per minute divides by (a
    robot may fall while the players are still being placed)."""
    return [event["cycle"] for event in events(result, "fall", label)
            if event["cycle"] >= result["kick_off_cycle"]]


def play_seconds(result):
    return (result["cycles"] - result["kick_off_cycle"]) * result["cycle_seconds"]


def distance(a, b):
    return math.hypot(a[0] - b[0], a[1] - b[1])


def blow_ups(result, label=None):
    """Blow-ups that may touch a figure: the robot's own (its share of a
    rebuilt world included) and the ball's; without a label, the game's,
    a rebuilt world counted once (fieldsim gives each robot its own event)."""
    found = events(result, "blow-up")
    if label is not None:
        return sum(1 for event in found if event["robot"] in (label, None))
    rebuilds = {event["cycle"] for event in found if event.get("rebuild")}
    return len(rebuilds) + sum(1 for event in found if not event.get("rebuild"))


def walk(result, robot, watch, markers):
    label = robot["label"]
    kick_off = result["kick_off_cycle"]
    seconds = play_seconds(result)
    start = (robot["start"]["x"], robot["start"]["y"])
    d0 = distance(start, result["ball"]["start"])
    near = [e for e in events(result, "near-ball", label) if e["cycle"] >= kick_off]
    if near:
        taken = (near[0]["cycle"] - kick_off) * result["cycle_seconds"]
        approach = d0 - near[0]["distance"]
    else:
        taken = seconds
        approach = d0 - distance((robot["end"]["x"], robot["end"]["y"]), result["ball"]["end"])
    kicked = robot["kicks"] > 0
    return {
        "reached": bool(near),
        "time_to_reach": taken if near else None,
        "forward_speed": approach / taken if taken > 0 else None,
        "falls_per_minute": (len(falls_in_play(result, label)) / (seconds / 60)
                             if seconds > 0 else None),
        "kicked": kicked,
        "kick_distance": result["ball"]["moved"] if kicked else None,
    }


def push_trial(result, label):
    """(down before the push, push cycle, fall cycle, get-up cycle, walked on)
    of the robot's first push; None when the push did not reach it."""
    down = False
    trial = None
    for event in result["events"]:
        if event.get("robot") != label:
            continue
        if trial is None:
            if event["kind"] == "push":
                if event.get("note"):
                    return None
                trial = {"down": down, "push": event["cycle"], "fall": None, "up": None,
                         "walked": False, "fell_again": False}
            elif event["kind"] in ("fall", "get-up"):
                down = event["kind"] == "fall"
        elif event["kind"] == "fall" and trial["fall"] is None and not trial["down"]:
            if event["cycle"] <= trial["push"] + TOPPLE_CYCLES:
                trial["fall"] = event["cycle"]
        elif event["kind"] == "get-up" and trial["fall"] is not None and trial["up"] is None:
            trial["up"] = event["cycle"]
        elif trial["up"] is not None and not trial["fell_again"]:
            # A lying robot's kicking feet land as steps too: only a step
            # before its next fall is walking on.
            trial["walked"] |= event["kind"] == "step"
            trial["fell_again"] = event["kind"] == "fall"
    return trial


def push(result, robot, watch, markers):
    trial = push_trial(result, robot["label"])
    if trial is None:
        return None
    toppled = None if trial["down"] else trial["fall"] is not None
    stood = trial["up"] is not None if toppled else None
    return {
        "down_before": trial["down"],
        "toppled": toppled,
        "stood_up": stood,
        "walked_on": trial["walked"] if toppled else None,
        "time_to_stand": ((trial["up"] - trial["push"]) * result["cycle_seconds"]
                          if stood else None),
    }


def keeper(result, robot, watch, markers):
    count = markers.get(watch.label, {}).get(watch.marker, 0)
    return {
        "completed": count > 0,
        "sequences": count,
        "falls": robot["falls"],
        "down_at_end": robot["end"]["fallen"],
    }


def match(result, robot, watch, markers):
    robots = result["robots"]
    minutes = len(robots) * play_seconds(result) / 60
    return {
        "goals": result["score"]["left"] + result["score"]["right"],
        "kicks": sum(r["kicks"] for r in robots),
        "falls_per_player_minute": (len(falls_in_play(result)) / minutes
                                    if minutes > 0 else None),
        "late_replies": sum(r["late_replies"] for r in robots),
        "blow_ups": blow_ups(result),
    }


KIND_FIGURES = {"walk": walk, "push": push, "keeper": keeper, "match": match}


def game_figures(watch, result, markers):
    """{figure key: value or None}, or None when the game says nothing about
    its scenario (no kick-off, the watched robot absent, a push that missed)."""
    if result is None or result.get("kick_off_cycle") is None:
        return None
    robot = robot_of(result, watch)
    if robot is None and watch.kind != "match":
        return None
    return KIND_FIGURES[watch.kind](result, robot, watch, markers)


def failure_moment(watch, result, markers):
    """The cycle worth seeing in a failed trial's replay, None if it did not
    fail: the push of a robot that did not stand up and walk on, the first
    fall of a walker that did not reach the ball (or the end), the first
    fall of a keeper that never completed its stand-up."""
    values = game_figures(watch, result, markers)
    if not values or watch.kind == "match":
        return None
    label = robot_of(result, watch)["label"]
    falls = falls_in_play(result, label)
    if watch.kind == "push" and values["toppled"] and not values["walked_on"]:
        return push_trial(result, label)["push"]
    if watch.kind == "walk" and not values["reached"]:
        return falls[0] if falls else result["cycles"] - 1
    if watch.kind == "keeper" and not values["completed"]:
        return falls[0] if falls else result["cycles"] - 1
    return None
