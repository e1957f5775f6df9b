"""Reading experiment files, the seeded paired conditions, the command
lines and formation files they make, and which games a run plays."""
import pytest

from experiment import cli
from experiment.commands import agent_commands, plan_game
from experiment.conditions import formation_text, game_conditions, read_formation
from experiment.experiment_file import ExperimentError, load, parse
from experiment.store import Refused, Store

PUSH = """
[[scenarios]]
name = "push"
kind = "push"
follow = 100
players = [{ number = 2, heading = { uniform = [-30, 30] } }]
[scenarios.push]
robot = "L2"
cycle = { uniform = [250, 630] }
impulse = { choice = [2.5, 5] }
direction = { uniform = [0, 360] }
"""

TWO_SETTINGS = """
[[variants]]
name = "a"
path = "a/vexa3d"
[[variants]]
name = "b"
path = "b/vexa3d"
[settings]
soft = { cfm = 1e-4 }
quick = { solver = "quick", world = "physics" }
"""


def experiment(body, seed=7):
    return parse(f"seed = {seed}\n{body}", "trial.toml")


@pytest.mark.parametrize("body, complaint", [
    ("", "needs at least one [[scenarios]]"),
    ('[[scenarios]]\nname = "w"\nkind = "run"\ncycles = 5\nplayers = [{number = 2}]',
     "kind: must be one of"),
    ('[[scenarios]]\nname = "w"\nkind = "walk"\ncycles = 5\nplayers = [{number = 12}]',
     "from 1 to 11"),
    ('[[scenarios]]\nname = "w"\nkind = "walk"\ncycles = 5\nplayers = [{number = 2},'
     ' {number = 2}]', "listed twice"),
    ('[[scenarios]]\nname = "w"\nkind = "walk"\ncycles = 5\nplayers = [{number = 2}]\n'
     'ball = { x = { uniform = [2, 1] }, y = 0 }', "LOW is above its HIGH"),
    ('[[scenarios]]\nname = "w"\nkind = "walk"\ncycles = 5\nplayers = [{number = 2}]\n'
     'ball = { x = 1 }', "needs both x and y"),
    ('[[scenarios]]\nname = "w"\nkind = "walk"\ncycles = 5\nplayers = [{number = 2}]\n'
     'ball = { x = { between = [1, 2] }, y = 0 }', "uniform = [LOW, HIGH]"),
    ('[[scenarios]]\nname = "p"\nkind = "push"\nfollow = 5\nplayers = [{number = 2}]\n'
     'push = { robot = "L3", cycle = 100 }', "label of a listed player"),
    ('[[scenarios]]\nname = "p"\nkind = "push"\nfollow = 5\nplayers = [{number = 2}]\n'
     'push = { robot = "L2", cycle = 1.5 }', "whole number"),
    ('[[scenarios]]\nname = "p"\nkind = "push"\nfollow = 5\nplayers = [{number = 2}]\n'
     'push = { robot = "L2", cycle = 9, impulse = { choice = [1, -1] } }', "at least 0"),
    ('[[scenarios]]\nname = "w"\nkind = "walk"\ncycles = 5\ncfm = "soft"\n'
     'players = [{number = 2}]', "cfm: must be a number"),
    ('[[scenarios]]\nname = "w"\nkind = "walk"\ncycles = 5\nplayers = [{number = 2}]\n'
     '[settings]\na = { gravity = 1 }', "unknown key gravity"),
    ('[[scenarios]]\nname = "w"\nkind = "walk"\nplayers = [{number = 2}]', "cycles"),
])
def test_a_bad_file_is_refused_with_the_key_named(body, complaint):
    with pytest.raises(ExperimentError, match=None) as error:
        experiment(body)
    assert complaint in str(error.value)
    assert str(error.value).startswith("trial.toml")


def test_a_file_without_seed_or_in_bad_toml_is_refused():
    with pytest.raises(ExperimentError, match="seed"):
        parse(PUSH, "x.toml")
    with pytest.raises(ExperimentError, match="not TOML"):
        parse("seed = [", "x.toml")


def test_game_i_has_the_same_conditions_in_every_run_variant_and_setting():
    scenario = experiment(PUSH + TWO_SETTINGS).scenarios[0]
    games = [game_conditions(7, scenario, index) for index in range(30)]
    assert games == [game_conditions(7, scenario, index) for index in range(30)]
    assert len({game["push"]["cycle"] for game in games}) > 10
    assert {game["push"]["impulse"] for game in games} == {2.5, 5}
    assert all(250 <= g["push"]["cycle"] <= 630 and g["cycles"] == g["push"]["cycle"] + 100
               for g in games)
    assert game_conditions(8, scenario, 0) != games[0]
    built = experiment(PUSH + TWO_SETTINGS)
    plans = [plan_game(built, scenario, variant, setting, 3, {})
             for variant in built.variants for setting in built.settings]
    assert all(plan["conditions"] == games[3] for plan in plans)


def test_a_condition_added_later_leaves_the_others_as_they_were():
    before = experiment(PUSH).scenarios[0]
    after = experiment(PUSH.replace("follow = 100", "follow = 100\nball = { x = { uniform ="
                                    " [0, 1] }, y = 0.5 }")).scenarios[0]
    for index in range(5):
        old, new = game_conditions(7, before, index), game_conditions(7, after, index)
        assert new.pop("ball")[1] == 0.5
        assert new == old


def test_the_fieldsim_command_carries_the_setting_over_the_scenario():
    built = experiment(PUSH.replace("follow = 100", "follow = 100\nworld = \"kinematic\"\n"
                                    "cfm = 1e-5\nball = { x = 1.25, y = -0.5 }") + TWO_SETTINGS)
    scenario = built.scenarios[0]
    plan = plan_game(built, scenario, built.variants[1], "soft", 0, {})
    command = plan["fieldsim"]
    push = plan["conditions"]["push"]
    assert command[command.index("--world") + 1] == "kinematic"
    assert command[command.index("--cfm") + 1] == "0.0001"
    assert command[command.index("--ball") + 1] == "1.25,-0.5"
    assert command[command.index("--push") + 1] == (
        f"L2@{push['cycle']}:{push['impulse']!r}:{push['direction']!r}")
    assert command[command.index("--cycles") + 1] == str(push["cycle"] + 100)
    assert command[-2:] == ["--result", "{dir}/result.json"]
    quick = plan_game(built, scenario, built.variants[0], "quick", 0, {})["fieldsim"]
    assert quick[quick.index("--world") + 1] == "physics" and "--solver" in quick
    assert plan["agents"][0]["command"][0].endswith("b/vexa3d")


def test_two_teams_take_left_and_right_in_the_order_listed():
    built = experiment('[[scenarios]]\nname = "m"\nkind = "match"\ncycles = 9\nplayers = ['
                       '{ team = "A", numbers = [1, 2] }, { team = "B", numbers = [1] }]')
    scenario = built.scenarios[0]
    assert [p.label for p in scenario.players] == ["L1", "L2", "R1"]
    plan = plan_game(built, scenario, built.variants[0], "default", 0, {})
    assert plan["second_team"] == 2
    assert plan["fieldsim"][plan["fieldsim"].index("--agents") + 1] == "3"


def test_each_player_reads_its_own_place_from_its_formation_file():
    base = read_formation("Start places.\n*1 -5.5 0 0 \n*2 -4 1.5 0 \n#\n*3 9 9 9 \n")
    assert base == {1: ["-5.5", "0", "0"], 2: ["-4", "1.5", "0"]}
    text = formation_text(base, (2, {"x": -3.21049, "heading": -179.9996}))
    assert read_formation(text) == {1: ["-5.5", "0", "0"], 2: ["-3.210", "1.5", "-180.000"]}
    assert all(len(field) <= 9 for record in read_formation(text).values() for field in record)
    assert text.endswith("#\n") and "*2 -3.210 1.5 -180.000 \n" in text
    scenario = experiment(PUSH).scenarios[0]
    conditions = game_conditions(7, scenario, 0)
    agent = agent_commands(scenario, experiment(PUSH).variants[0], conditions, base)[0]
    heading = conditions["places"]["L2"]["heading"]
    assert read_formation(agent["formation"])[2] == ["-4", "1.5", f"{heading:.3f}"]
    assert agent["command"][-4:] == ["-t", "VEXA3D", "-n", "2"]


def test_a_run_plays_only_games_without_a_done_row_and_refuses_a_changed_file(
        write_experiment, tmp_path, capsys):
    file = write_experiment(PUSH.replace("follow = 100", "follow = 100\ngames = 3") +
                            TWO_SETTINGS)
    built = load(file)
    first = cli.plans(built, 2)
    assert [key[3] for key, _, _ in first] == [0] * 4 + [1] * 4  # game 0 of every cell first
    store = Store(tmp_path / "trial.sqlite")
    for status, (key, plan, identity) in zip(["done", "failed"], first):
        store.save(plan, identity, status, {"result": None}, "", 1)
    # The failed game is played again, and the third game of each cell added.
    todo = store.check(built.name, cli.plans(built, None))
    assert len(todo) == 3 * 4 - 1 and first[0][1] not in todo and first[1][1] in todo
    file.write_text(file.read_text().replace("seed = 7", "seed = 8"))
    changed = load(file)
    with pytest.raises(Refused, match="1 games played under other conditions.*--fresh"):
        store.check(changed.name, cli.plans(changed, None))
    store.close()
    assert cli.main([str(file), "--fresh", "--report-only", "--results", str(tmp_path)]) == 0
    assert "| games: counted / failed | 0 / 0 |" in capsys.readouterr().out
