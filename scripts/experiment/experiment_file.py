"""Reading and checking an experiment file (TOML).

Every mistake is reported as one ExperimentError naming the file and the key,
before any game is played. Relative paths are taken from the repository's top
folder, so that a file means the same whatever the caller's folder is.
"""
import math
import os
import re
import tomllib
from dataclasses import dataclass, field
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
KINDS = ("walk", "push", "keeper", "match")
WORLD_KEYS = ("world", "cfm", "solver")
DEFAULT_VARIANT_PATH = "build/release/vexa3d"
DEFAULT_FIELDSIM_PATH = "build/release/sim/fieldsim"
NAME = re.compile(r"^[A-Za-z0-9][A-Za-z0-9_.+-]*$")


class ExperimentError(Exception):
    pass


@dataclass(frozen=True)
class Fixed:
    value: float

    def describe(self):
        return self.value


@dataclass(frozen=True)
class Uniform:
    low: float
    high: float
    integer: bool

    def describe(self):
        return {"uniform": [self.low, self.high]}


@dataclass(frozen=True)
class Choice:
    values: tuple

    def describe(self):
        return {"choice": list(self.values)}


@dataclass(frozen=True)
class Player:
    team: str
    number: int
    side: str  # "L" for the first team listed, "R" for the second
    place: dict  # "x", "y", "heading" -> a value; absent keys keep the formation's

    @property
    def label(self):
        return f"{self.side}{self.number}"

    @property
    def folder(self):
        return f"{self.team}-{self.number}"


@dataclass(frozen=True)
class Push:
    robot: str
    cycle: object
    impulse: object
    direction: object


@dataclass(frozen=True)
class Scenario:
    name: str
    kind: str
    games: int
    cycles: int  # None when the game follows its push
    players: tuple
    world: dict
    ball: dict  # "x", "y" -> a value; empty keeps fieldsim's default
    push: Push = None
    follow: int = None  # push: the game lasts this many cycles after the push
    watch: str = None  # the label of the player whose figures are taken
    markers: tuple = ()
    timeout: float = 0.0
    replays: int = 0


@dataclass(frozen=True)
class Variant:
    name: str
    path: str


@dataclass
class Experiment:
    name: str
    file: str
    seed: int
    fieldsim: str
    variants: list
    settings: dict  # name -> world options
    scenarios: list = field(default_factory=list)

    def paths(self):
        """Every binary a worker runs."""
        return [self.fieldsim] + sorted({variant.path for variant in self.variants})


def _fail(where, message):
    raise ExperimentError(f"{where}: {message}")


def _number(value):
    return isinstance(value, (int, float)) and not isinstance(value, bool) and math.isfinite(value)


def _integer(value):
    return isinstance(value, int) and not isinstance(value, bool)


def _table(value, where):
    if not isinstance(value, dict):
        _fail(where, "must be a table")
    return value


def _only(table, allowed, where):
    unknown = sorted(set(table) - set(allowed))
    if unknown:
        _fail(where, f"unknown key {unknown[0]} (known: {', '.join(allowed)})")


def _name(value, where):
    if not isinstance(value, str) or not NAME.match(value):
        _fail(where, "must be a name of letters, digits and . _ + -")
    return value


def _count(value, where, low=1):
    if not _integer(value) or value < low:
        _fail(where, f"must be a whole number of at least {low}")
    return value


def read_value(raw, where, integer=False):
    """A varied condition: a number, {uniform = [LOW, HIGH]} or {choice = [...]}."""
    kind = "a whole number" if integer else "a number"
    check = _integer if integer else _number
    if check(raw):
        return Fixed(raw)
    if isinstance(raw, dict) and len(raw) == 1 and "uniform" in raw:
        bounds = raw["uniform"]
        if not (isinstance(bounds, list) and len(bounds) == 2 and all(map(check, bounds))):
            _fail(where, f"uniform takes [LOW, HIGH], each {kind}")
        if bounds[0] > bounds[1]:
            _fail(where, "uniform's LOW is above its HIGH")
        return Uniform(bounds[0], bounds[1], integer)
    if isinstance(raw, dict) and len(raw) == 1 and "choice" in raw:
        values = raw["choice"]
        if not (isinstance(values, list) and values and all(map(check, values))):
            _fail(where, f"choice takes a non-empty list, each {kind}")
        return Choice(tuple(values))
    _fail(where, f"must be {kind}, {{uniform = [LOW, HIGH]}} or {{choice = [...]}}")


def _path(value, where):
    if not isinstance(value, str) or not value:
        _fail(where, "must be a path")
    return os.path.normpath(REPO / value)


def _world(table, where, allowed=WORLD_KEYS):
    _only(table, allowed, where)
    world = {}
    if "world" in table:
        if table["world"] not in ("physics", "kinematic"):
            _fail(f"{where}.world", "must be physics or kinematic")
        world["world"] = table["world"]
    if "cfm" in table:
        if not _number(table["cfm"]) or table["cfm"] < 0:
            _fail(f"{where}.cfm", "must be a number of at least 0")
        world["cfm"] = table["cfm"]
    if "solver" in table:
        if table["solver"] not in ("step", "quick"):
            _fail(f"{where}.solver", "must be step or quick")
        world["solver"] = table["solver"]
    return world


def _places(table, keys, where):
    return {key: read_value(table[key], f"{where}.{key}") for key in keys if key in table}


def _players(raw, where):
    if not isinstance(raw, list) or not raw:
        _fail(where, "must be a non-empty list of tables")
    teams = []
    players = []
    for index, entry in enumerate(raw):
        here = f"{where}[{index}]"
        entry = _table(entry, here)
        _only(entry, ("team", "number", "numbers", "x", "y", "heading"), here)
        team = _name(entry.get("team", "VEXA3D"), f"{here}.team")
        if ("number" in entry) == ("numbers" in entry):
            _fail(here, "needs number or numbers (one of them)")
        numbers = entry.get("numbers", [entry.get("number")])
        if not isinstance(numbers, list) or not numbers:
            _fail(f"{here}.numbers", "must be a non-empty list")
        if team not in teams:
            teams.append(team)
        if len(teams) > 2:
            _fail(f"{here}.team", "a game has two teams at most")
        place = _places(entry, ("x", "y", "heading"), here)
        for number in numbers:
            if not _integer(number) or not 1 <= number <= 11:
                _fail(here, "a shirt number is a whole number from 1 to 11")
            player = Player(team, number, "LR"[teams.index(team)], place)
            if any(other.label == player.label for other in players):
                _fail(here, f"{team} {number} is listed twice")
            players.append(player)
    return tuple(players)


def _push(raw, players, where):
    push = _table(raw, where)
    _only(push, ("robot", "cycle", "impulse", "direction"), where)
    robot = push.get("robot")
    if robot not in [player.label for player in players]:
        _fail(f"{where}.robot", "must be the label of a listed player (L2: the first team's 2)")
    cycle = read_value(push.get("cycle"), f"{where}.cycle", integer=True)
    if min(_extremes(cycle)) < 0:
        _fail(f"{where}.cycle", "a cycle is at least 0")
    impulse = read_value(push.get("impulse", 5.0), f"{where}.impulse")
    if any(value < 0 for value in _extremes(impulse)):
        _fail(f"{where}.impulse", "an impulse is at least 0")
    direction = read_value(push.get("direction", 0.0), f"{where}.direction")
    return Push(robot, cycle, impulse, direction)


def _extremes(value):
    if isinstance(value, Fixed):
        return (value.value,)
    if isinstance(value, Uniform):
        return (value.low, value.high)
    return value.values


SCENARIO_KEYS = ("name", "kind", "games", "cycles", "follow", "players", "ball", "push",
                 "watch", "markers", "timeout", "replays") + WORLD_KEYS


def _scenario(raw, defaults, file, index):
    where = f"{file}: scenarios[{index}]"
    table = _table(raw, where)
    _only(table, SCENARIO_KEYS, where)
    name = _name(table.get("name"), f"{where}.name")
    where = f"{file}: scenario {name}"
    kind = table.get("kind")
    if kind not in KINDS:
        _fail(f"{where}.kind", f"must be one of {', '.join(KINDS)}")
    players = _players(table.get("players"), f"{where}.players")
    push = None
    if kind == "push":
        push = _push(table.get("push"), players, f"{where}.push")
    elif "push" in table:
        _fail(f"{where}.push", "only a push scenario has a push")
    follow = table.get("follow")
    cycles = None
    if follow is not None:
        if kind != "push" or "cycles" in table:
            _fail(f"{where}.follow", "only a push scenario follows its push, instead of cycles")
        _count(follow, f"{where}.follow")
    else:
        cycles = _count(table.get("cycles"), f"{where}.cycles")
    watch = table.get("watch", players[0].label)
    if watch not in [player.label for player in players]:
        _fail(f"{where}.watch", "must be the label of a listed player")
    if push and watch != push.robot:
        _fail(f"{where}.watch", "a push scenario watches the pushed robot")
    markers = table.get("markers", ["Stand_Up successfully"] if kind == "keeper" else [])
    if not isinstance(markers, list) or not all(isinstance(m, str) and m for m in markers):
        _fail(f"{where}.markers", "must be a list of texts")
    timeout = table.get("timeout", defaults["timeout"])
    if timeout is not None and (not _number(timeout) or timeout <= 0):
        _fail(f"{where}.timeout", "must be a number of seconds above 0")
    if timeout is None:
        longest = cycles or max(_extremes(push.cycle)) + follow
        timeout = 30 + longest / 20
    ball = _table(table.get("ball", {}), f"{where}.ball")
    _only(ball, ("x", "y"), f"{where}.ball")
    if len(ball) == 1:
        _fail(f"{where}.ball", "needs both x and y")
    return Scenario(
        name=name, kind=kind,
        games=_count(table.get("games", defaults["games"]), f"{where}.games"),
        cycles=cycles, players=players,
        world=_world({key: table[key] for key in WORLD_KEYS if key in table}, where),
        ball=_places(ball, ("x", "y"), f"{where}.ball"), push=push, follow=follow,
        watch=watch, markers=tuple(markers), timeout=float(timeout),
        replays=_count(table.get("replays", defaults["replays"]), f"{where}.replays", low=0))


def _variants(raw, where):
    if raw is None:
        return [Variant("release", _path(DEFAULT_VARIANT_PATH, where))]
    if not isinstance(raw, list) or not raw:
        _fail(where, "must be a non-empty list of tables")
    variants = []
    for index, entry in enumerate(raw):
        here = f"{where}[{index}]"
        entry = _table(entry, here)
        _only(entry, ("name", "path"), here)
        variant = Variant(_name(entry.get("name"), f"{here}.name"),
                          _path(entry.get("path"), f"{here}.path"))
        if any(other.name == variant.name for other in variants):
            _fail(f"{here}.name", f"{variant.name} is named twice")
        variants.append(variant)
    return variants


def _settings(raw, where):
    if raw is None:
        return {"default": {}}
    table = _table(raw, where)
    if not table:
        _fail(where, "names no setting")
    return {_name(name, where): _world(_table(options, f"{where}.{name}"), f"{where}.{name}")
            for name, options in table.items()}


TOP_KEYS = ("name", "seed", "games", "timeout", "replays", "fieldsim", "variants", "settings",
            "scenarios")


def parse(text, file="experiment"):
    try:
        data = tomllib.loads(text)
    except tomllib.TOMLDecodeError as error:
        raise ExperimentError(f"{file}: not TOML: {error}") from None
    _only(data, TOP_KEYS, file)
    seed = data.get("seed")
    if not _integer(seed):
        _fail(f"{file}: seed", "must be a whole number (the games' conditions come from it)")
    defaults = {
        "games": _count(data.get("games", 10), f"{file}: games"),
        "timeout": data.get("timeout"),
        "replays": _count(data.get("replays", 5), f"{file}: replays", low=0),
    }
    raw_scenarios = data.get("scenarios")
    if not isinstance(raw_scenarios, list) or not raw_scenarios:
        _fail(f"{file}: scenarios", "needs at least one [[scenarios]] table")
    scenarios = [_scenario(raw, defaults, file, index) for index, raw in enumerate(raw_scenarios)]
    names = [scenario.name for scenario in scenarios]
    if len(set(names)) != len(names):
        _fail(f"{file}: scenarios", "two scenarios have the same name")
    default_name = Path(file).stem
    return Experiment(
        name=_name(data.get("name", default_name), f"{file}: name"), file=file, seed=seed,
        fieldsim=_path(data.get("fieldsim", DEFAULT_FIELDSIM_PATH), f"{file}: fieldsim"),
        variants=_variants(data.get("variants"), f"{file}: variants"),
        settings=_settings(data.get("settings"), f"{file}: settings"), scenarios=scenarios)


def load(path):
    path = Path(path)
    try:
        text = path.read_text()
    except OSError as error:
        raise ExperimentError(f"{path}: cannot be read ({error.strerror})") from None
    experiment = parse(text, str(path))
    experiment.file = str(path.resolve())
    return experiment
