"""The varied conditions of each game, and the formation files they make.

Game i of a scenario draws each condition from its own random stream, seeded
by the experiment's seed, the scenario, i and the condition's name. So game i
gets the same conditions for every variant and setting (the comparison is
paired), every time the file is run, and a condition added later leaves the
others' values as they were.
"""
import random
import re

from .experiment_file import Choice, Fixed

# Places, headings, impulses and directions are kept to 3 decimals: the
# formation file cuts a field at 9 characters, and the stored conditions
# must be exactly what the game was given.
DECIMALS = 3


def draw(value, seed, stream):
    rng = random.Random(f"{seed}/{stream}")
    if isinstance(value, Fixed):
        picked = value.value
    elif isinstance(value, Choice):
        picked = rng.choice(value.values)
    elif value.integer:
        picked = rng.randint(value.low, value.high)
    else:
        picked = rng.uniform(value.low, value.high)
    return picked if isinstance(picked, int) else round(picked, DECIMALS)


def game_conditions(seed, scenario, index):
    """Everything that varies from game to game, as stored with the game."""
    def stream(*names):
        return "/".join([scenario.name, str(index), *names])

    conditions = {}
    if scenario.ball:
        conditions["ball"] = [draw(scenario.ball[axis], seed, stream("ball", axis))
                              for axis in ("x", "y")]
    places = {}
    for player in scenario.players:
        place = {key: draw(value, seed, stream(player.label, key))
                 for key, value in sorted(player.place.items())}
        if place:
            places[player.label] = place
    if places:
        conditions["places"] = places
    if scenario.push:
        push = scenario.push
        conditions["push"] = {
            "robot": push.robot,
            "cycle": draw(push.cycle, seed, stream("push", "cycle")),
            "impulse": draw(push.impulse, seed, stream("push", "impulse")),
            "direction": draw(push.direction, seed, stream("push", "direction")),
        }
    conditions["cycles"] = (scenario.cycles if scenario.follow is None
                            else conditions["push"]["cycle"] + scenario.follow)
    return conditions


RECORD = re.compile(r"\*(\d+) +(\S+) +(\S+) +(\S+) ")


def read_formation(text):
    """The records of a formation file: number -> [x, y, heading] as written."""
    body = text[text.find("*"):]
    body = body[:body.find("#")] if "#" in body else body
    return {int(number): [x, y, heading] for number, x, y, heading in RECORD.findall(body)}


def formation_text(base, place):
    """The formation file of one player: the base records, the player's own
    one moved to `place` (number, {"x", "y", "heading"}), every field ended
    by a blank as the agent reads it."""
    records = {number: list(fields) for number, fields in base.items()}
    number, where = place
    own = records.setdefault(number, ["0", "0", "0"])
    for index, key in enumerate(("x", "y", "heading")):
        if key in where:
            own[index] = f"{where[key]:.{DECIMALS}f}"
    lines = ["Start places of this game; a player reads only its own record."]
    lines += [f"*{n} {x} {y} {heading} " for n, (x, y, heading) in sorted(records.items())]
    return "\n".join(lines + ["#", ""])
