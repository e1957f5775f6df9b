"""The figures of a game from its result file, and their intervals."""
import numpy
import pytest

from experiment.figures import Watch, blow_ups, failure_moment, game_figures
from experiment.stats import bootstrap, paired_difference, seed_of, wilson

WALKER = Watch("walk", "L11", "VEXA3D", 11)
PUSHED = Watch("push", "L2", "VEXA3D", 2)
KEEPER = Watch("keeper", "L1", "VEXA3D", 1, "Stand_Up successfully")


def robot(label, **counts):
    number = int(label[1:])
    return {"label": label, "side": "left", "team": "VEXA3D", "number": number, "steps": 0,
            "kicks": 0, "falls": 0, "get_ups": 0, "late_replies": 0, "blow_ups": 0,
            "start": {"x": -1.0, "y": 0.0, "heading": 0.0},
            "end": {"x": 0.0, "y": 0.0, "heading": 0.0, "torso_height": 0.4, "fallen": False},
            **counts}


def result(robots, events, cycles=3050, ball_end=(1.0, 0.0), moved=0.0):
    return {"format": 1, "status": "completed", "cycles": cycles, "cycle_seconds": 0.02,
            "kick_off_cycle": 50, "score": {"left": 1, "right": 2},
            "ball": {"start": [1.0, 0.0], "end": list(ball_end), "moved": moved},
            "robots": robots, "events": events}


def test_a_walk_reached_or_not():
    near = {"cycle": 1050, "kind": "near-ball", "robot": "L11", "distance": 0.35}
    reached = game_figures(WALKER, result([robot("L11", kicks=1)], [near], moved=1.2), {})
    assert reached["reached"] and reached["time_to_reach"] == pytest.approx(20.0)
    assert reached["forward_speed"] == pytest.approx((2.0 - 0.35) / 20.0)
    assert reached["kicked"] and reached["kick_distance"] == 1.2
    # A fall before the kick-off is not in the minute of play.
    falls = [{"cycle": cycle, "kind": "fall", "robot": "L11"} for cycle in (30, 400, 900)]
    missed = result([robot("L11", falls=3)], falls, ball_end=(1.0, 0.0))
    figures = game_figures(WALKER, missed, {})
    assert not figures["reached"] and figures["time_to_reach"] is None
    assert figures["forward_speed"] == pytest.approx((2.0 - 1.0) / 60.0)
    assert figures["falls_per_minute"] == pytest.approx(2.0)
    assert figures["kick_distance"] is None
    assert failure_moment(WALKER, missed, {}) == 400
    assert failure_moment(WALKER, result([robot("L11")], [near]), {}) is None
    # Another robot's approach is not the walker's.
    other = {**near, "robot": "L10"}
    assert not game_figures(WALKER, result([robot("L11")], [other]), {})["reached"]


def push_events(*kinds_and_cycles, note=None):
    events = []
    for kind, cycle in kinds_and_cycles:
        event = {"cycle": cycle, "kind": kind, "robot": "L2"}
        if kind == "push":
            event.update(impulse=5.0, direction=0.0, **({"note": note} if note else {}))
        events.append(event)
    return events


@pytest.mark.parametrize("events, expected", [
    (push_events(("push", 300), ("fall", 310), ("get-up", 800), ("step", 850)),
     {"down_before": False, "toppled": True, "stood_up": True, "walked_on": True,
      "time_to_stand": 10.0}),
    (push_events(("push", 300), ("fall", 310), ("get-up", 800)),
     {"toppled": True, "stood_up": True, "walked_on": False}),
    (push_events(("step", 200), ("push", 300), ("fall", 500), ("get-up", 900), ("step", 950)),
     {"toppled": False, "stood_up": None, "walked_on": None, "time_to_stand": None}),
    (push_events(("fall", 200), ("push", 300), ("get-up", 900)),
     {"down_before": True, "toppled": None, "stood_up": None}),
    (push_events(("fall", 200), ("get-up", 250), ("push", 300), ("fall", 301)),
     {"down_before": False, "toppled": True, "stood_up": False, "time_to_stand": None}),
    # Up again, down again: the feet that land while it lies are no walk.
    (push_events(("push", 300), ("fall", 310), ("get-up", 800), ("fall", 820), ("step", 900)),
     {"toppled": True, "stood_up": True, "walked_on": False}),
])
def test_a_push_trial(events, expected):
    figures = game_figures(PUSHED, result([robot("L2")], events), {})
    assert {key: figures[key] for key in expected} == pytest.approx(expected)


def test_a_push_that_missed_its_robot_says_nothing_and_a_failed_stand_up_is_shown_at_the_push():
    missed = push_events(("push", 300), note="L2 is not on the field")
    assert game_figures(PUSHED, result([robot("L2")], missed), {}) is None
    lying = result([robot("L2")], push_events(("push", 300), ("fall", 320)))
    assert failure_moment(PUSHED, lying, {}) == 300
    assert game_figures(PUSHED, {**lying, "kick_off_cycle": None}, {}) is None


def test_the_keeper_counts_its_own_marker_lines():
    keeper = robot("L1", falls=3, end={"x": 0, "y": 0, "heading": 0, "torso_height": 0.1,
                                       "fallen": True})
    figures = game_figures(KEEPER, result([keeper], []), {"L1": {"Stand_Up successfully": 2}})
    assert figures == {"completed": True, "sequences": 2, "falls": 3, "down_at_end": True}
    never = game_figures(KEEPER, result([keeper], []), {"L1": {"Stand_Up successfully": 0}})
    assert not never["completed"]


def test_a_match_adds_every_robot_and_counts_a_rebuilt_world_once():
    robots = [robot("L1", kicks=2, falls=1), robot("L2", kicks=1, late_replies=3)]
    # One robot, the ball, then the whole world rebuilt: an event per robot.
    events = [{"cycle": 60, "kind": "fall", "robot": "L2"},
              {"cycle": 70, "kind": "blow-up", "robot": "L1"},
              {"cycle": 80, "kind": "blow-up", "robot": None},
              {"cycle": 90, "kind": "blow-up", "robot": "L1", "rebuild": True},
              {"cycle": 90, "kind": "blow-up", "robot": "L2", "rebuild": True}]
    game = result(robots, events)
    figures = game_figures(Watch("match", "L1", "VEXA3D", 1), game, {})
    assert figures == pytest.approx({"goals": 3, "kicks": 3, "late_replies": 3, "blow_ups": 3,
                                     "falls_per_player_minute": 1 / 2})
    assert (blow_ups(game, "L1"), blow_ups(game, "L2")) == (3, 2)


def test_wilson_interval_at_the_ends_and_in_the_middle():
    none = wilson(0, 20)
    assert (none.value, none.low) == (0, 0) and none.high == pytest.approx(0.1611, abs=1e-4)
    every = wilson(20, 20)
    assert (every.value, every.high) == (1, 1) and every.low == pytest.approx(0.8389, abs=1e-4)
    half = wilson(5, 10)
    assert (half.low, half.high) == pytest.approx((0.2366, 0.7634), abs=1e-4)
    assert wilson(0, 0) is None


def test_the_bootstrap_is_seeded_and_the_paired_difference_pairs_game_with_game():
    values = [3.1, 4.7, 2.2, 9.0, 5.5, 4.1, 6.6]
    first = bootstrap(values, numpy.mean, seed_of(7, "walk", "time"))
    assert first == bootstrap(values, numpy.mean, seed_of(7, "walk", "time"))
    assert first.low < first.value < first.high
    assert first.value == pytest.approx(numpy.mean(values))
    assert bootstrap(values, numpy.mean, seed_of(8, "walk", "time")) != first
    assert bootstrap([], numpy.median, 1) is None
    same = dict(enumerate(values))
    nothing = paired_difference(same, same, 1)
    assert (nothing.value, nothing.low, nothing.high, nothing.n) == (0, 0, 0, 7)
    shifted = {0: True, 1: None, 2: False, 3: True}
    base = {0: False, 1: True, 2: False, 4: True}
    difference = paired_difference(base, shifted, 1)
    assert (difference.value, difference.n) == (0.5, 2)  # games 0 and 2 only
