"""scripts/experiment.sh FILE [options]: plays an experiment's games that are
not stored yet and reports its figures."""
import argparse
import platform
import shutil
import sys
import time
from datetime import datetime, timezone
from pathlib import Path

from .commands import base_formation, identity, plan_game
from .experiment_file import REPO, ExperimentError, load
from .store import Refused, Store


def arguments(argv):
    parser = argparse.ArgumentParser(
        prog="scripts/experiment.sh",
        description="Plays an experiment's games (those not stored yet) on a Dask cluster and"
                    " reports its figures with 95 % intervals.")
    parser.add_argument("file", help="the experiment file (TOML), e.g. experiments/walk.toml")
    where = parser.add_mutually_exclusive_group()
    where.add_argument("--workers", type=int, metavar="N",
                       help="local worker processes, one game each (default: one per core)")
    where.add_argument("--scheduler", metavar="ADDRESS",
                       help="an existing Dask scheduler, e.g. tcp://HOST:8786")
    parser.add_argument("--games", type=int, metavar="N",
                        help="play only the first N games of each scenario")
    parser.add_argument("--retries", type=int, default=2, metavar="N",
                        help="times a failed game is played again before it is stored as"
                             " failed (default 2)")
    parser.add_argument("--fresh", action="store_true",
                        help="forget the stored games of this experiment and play them all")
    parser.add_argument("--report-only", action="store_true",
                        help="play nothing; report what is stored")
    parser.add_argument("--results", type=Path, default=REPO / "results", metavar="DIR",
                        help="where the database and the report go (default: results/)")
    parser.add_argument("--work", metavar="DIR",
                        help="where the workers make the games' folders (default: their"
                             " temporary folder)")
    options = parser.parse_args(argv)
    for name in ("workers", "games"):
        if getattr(options, name) is not None and getattr(options, name) < 1:
            parser.error(f"--{name} must be at least 1")
    if options.retries < 0:
        parser.error("--retries must be at least 0")
    return options


def plans(experiment, games_limit):
    """Every game to have stored, game 0 of every cell first, then game 1..."""
    formation = base_formation()
    found = []
    most = max(scenario.games for scenario in experiment.scenarios)
    for index in range(min(most, games_limit or most)):
        for scenario in experiment.scenarios:
            if index >= scenario.games:
                continue
            for setting in experiment.settings:
                for variant in experiment.variants:
                    plan = plan_game(experiment, scenario, variant, setting, index, formation)
                    key = (scenario.name, variant.name, setting, index)
                    found.append((key, plan, identity(plan)))
    return found


def forget(options, experiment):
    for path in (options.results / f"{experiment.name}.sqlite",
                 options.results / f"{experiment.name}.html"):
        path.unlink(missing_ok=True)
    shutil.rmtree(options.results / f"{experiment.name}-replays", ignore_errors=True)


def play(options, experiment, store, todo):
    """Plays the games; returns True unless stopped by Ctrl-C."""
    from . import runner
    from .figures import watch_of

    workers = options.workers or runner.default_workers()
    where = options.scheduler or f"{workers} local workers"
    print(f"experiment {experiment.name}: {len(todo)} games to play on {where}", file=sys.stderr)
    client, cluster = runner.connect(workers, options.scheduler)
    try:
        runner.check_workers(client, experiment.paths())
        run = runner.Runner(client, store, experiment, options.retries, options.results,
                            options.work)
        watches = {scenario.name: watch_of(scenario) for scenario in experiment.scenarios}
        return run.play(todo, watches, runner.Progress(len(todo)))
    finally:
        client.close()
        if cluster:
            cluster.close()


def report(options, experiment, store, meta):
    from .page import page
    from .report import markdown, summarize

    summaries = summarize(experiment, store.rows(experiment.name), options.games)
    print(markdown(experiment, summaries))
    target = options.results / f"{experiment.name}.html"
    target.write_text(page(experiment, summaries, meta))
    print(f"report: {target}", file=sys.stderr)


def main(argv=None):
    options = arguments(argv if argv is not None else sys.argv[1:])
    try:
        experiment = load(options.file)
        if options.fresh:
            forget(options, experiment)
        options.results.mkdir(parents=True, exist_ok=True)
        store = Store(options.results / f"{experiment.name}.sqlite")
        todo = store.check(experiment.name, plans(experiment, options.games))
    except (ExperimentError, Refused) as error:
        print(f"experiment: {error}", file=sys.stderr)
        return 2
    started = time.monotonic()
    meta = [f"{experiment.file}; reported {datetime.now(timezone.utc):%Y-%m-%d %H:%M} UTC on"
            f" {platform.node()} ({platform.machine()})"]
    if todo and not options.report_only:
        from .runner import WorkersLack
        try:
            finished = play(options, experiment, store, todo)
        except WorkersLack as error:
            print("experiment: every worker must run fieldsim and each variant's vexa3d from the"
                  " same paths as this machine (the experiment file is read here only, the"
                  f" workers get each game's command lines); {error}", file=sys.stderr)
            return 2
        except KeyboardInterrupt:  # before the first game or while closing
            finished = False
        if not finished:
            print(f"experiment: stopped; the games played so far are stored in {store.path}."
                  f" Run the same command again to play the rest.", file=sys.stderr)
            return 130
        meta.append(f"this run played {len(todo)} games in {time.monotonic() - started:.0f} s")
    report(options, experiment, store, meta)
    store.close()
    return 0
