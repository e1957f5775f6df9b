"""The client's side: the Dask cluster, the check of the workers, and the
loop that hands out games, retries failed ones and stores every result.

Only a few games are handed out at a time (one per worker thread, and one
more), so that Ctrl-C leaves little to cancel and replay pages are asked for
only while a scenario still keeps them.
"""
import dataclasses
import logging
import os
import signal
import sys
import time
import uuid
from collections import deque
from dataclasses import dataclass, field

# Dask's own notes (a stale folder purged, a worker restarted) are not the
# run's business; its errors still show. Neither is a time-out inside Dask
# while a busy machine closes the local cluster after the last game (asyncio
# reports it as "Future exception was never retrieved"): the tool itself
# runs nothing on asyncio.
os.environ.setdefault("DASK_LOGGING__DISTRIBUTED", "error")
logging.getLogger("asyncio").setLevel(logging.CRITICAL)

import cloudpickle  # noqa: E402  (after the logging setting)
import distributed  # noqa: E402

from . import figures, game
from .commands import GUARD_SOURCE, identity, with_replay
from .figures import failure_moment

# The task's code is sent to the workers by value, so that a worker needs
# only Dask and the binaries, not this checkout. Dask sends a function by
# value only when its own module is registered, not its package alone.
for module in (sys.modules[__package__], game, figures):
    cloudpickle.register_pickle_by_value(module)


class WorkersLack(Exception):
    pass


def connect(workers, scheduler):
    """A client on the given scheduler, or on a local cluster of worker
    processes of one thread each; returns (client, cluster or None)."""
    if scheduler:
        client = distributed.Client(scheduler, timeout="30s")
        client.wait_for_workers(1, timeout=120)
        return client, None
    # The workers ignore SIGINT: Ctrl-C reaches the whole terminal's group,
    # and only the client is to act on it (it stops the games and the cluster).
    default = signal.signal(signal.SIGINT, signal.SIG_IGN)
    try:
        cluster = distributed.LocalCluster(n_workers=workers, threads_per_worker=1,
                                           processes=True, dashboard_address=None,
                                           silence_logs=logging.ERROR)
    finally:
        signal.signal(signal.SIGINT, default)
    return distributed.Client(cluster), cluster


def check_workers(client, paths):
    """Refuses, in one line, when a worker lacks one of the binaries' paths.
    Only the binaries are looked for: the workers never read the experiment
    file, since every game's plan travels with its task."""
    lacking = {worker: missing for worker, missing in
               client.run(game.missing_paths, paths).items() if missing}
    if lacking:
        raise WorkersLack("; ".join(f"{worker} lacks {', '.join(missing)}"
                                    for worker, missing in sorted(lacking.items())))


class Progress:
    """One line on standard error: games done, failed, running, time left."""
    WIDTH = 30

    def __init__(self, total, stream=sys.stderr):
        self.total = total
        self.stream = stream
        self.start = time.monotonic()
        self.tty = stream.isatty()
        self.last = 0.0

    def line(self, done, failed, running, now=None):
        elapsed = (now if now is not None else time.monotonic()) - self.start
        finished = done + failed
        filled = self.WIDTH * finished // self.total if self.total else self.WIDTH
        left = "?"
        if finished:
            seconds = round(elapsed / finished * (self.total - finished))
            left = f"{seconds // 3600}:{seconds // 60 % 60:02d}:{seconds % 60:02d}"
        return (f"[{'#' * filled}{'-' * (self.WIDTH - filled)}] {finished}/{self.total}:"
                f" {done} done, {failed} failed, {running} running, {left} left")

    def show(self, done, failed, running, final=False):
        now = time.monotonic()
        if self.tty:
            self.stream.write("\r" + self.line(done, failed, running) + ("\n" if final else ""))
        elif final or now - self.last >= 30:
            self.stream.write(self.line(done, failed, running) + "\n")
            self.last = now
        self.stream.flush()


@dataclass
class Tally:
    done: int = 0
    failed: int = 0
    kept: dict = field(default_factory=dict)  # scenario -> replay pages kept


class Runner:
    def __init__(self, client, store, experiment, retries, results, work=None):
        self.client = client
        self.store = store
        self.retries = retries
        self.results = results
        self.work = work
        self.scenarios = {scenario.name: scenario for scenario in experiment.scenarios}
        self.watches = {}
        self.stop = f"vexa-experiment-stop-{uuid.uuid4().hex}"
        # The replay pages kept by earlier runs count against each scenario's bound.
        self.tally = Tally(kept=store.replays_kept(experiment.name))
        self.in_flight = {}

    def submit(self, plan, attempt, reasons):
        scenario = self.scenarios[plan["scenario"]]
        task = {**plan, "guard": GUARD_SOURCE, "stop": self.stop, "work": self.work,
                "watch": dataclasses.asdict(self.watches[scenario.name])}
        if self.tally.kept.get(scenario.name, 0) < scenario.replays:
            task = with_replay(task)
        key = "-".join(["game", plan["scenario"], plan["variant"], plan["setting"],
                        str(plan["index"]), str(attempt), uuid.uuid4().hex[:8]])
        future = self.client.submit(game.play, task, key=key, pure=False)
        self.in_flight[future] = (plan, attempt, reasons)

    def keep_replay(self, plan, report):
        """Writes a failed trial's page while its scenario keeps pages;
        returns its link (relative to the report) or None."""
        scenario = plan["scenario"]
        moment = failure_moment(self.watches[scenario], report["result"], report["markers"])
        if not report.get("replay") or moment is None:
            return None
        if self.tally.kept.get(scenario, 0) >= self.scenarios[scenario].replays:
            return None
        self.tally.kept[scenario] = self.tally.kept.get(scenario, 0) + 1
        folder = self.results / f"{plan['experiment']}-replays"
        folder.mkdir(parents=True, exist_ok=True)
        name = f"{scenario}-{plan['variant']}-{plan['setting']}-{plan['index']}.html"
        (folder / name).write_bytes(report["replay"])
        label = self.watches[scenario].label
        return f"{folder.name}/{name}#t={moment}&follow={label}"

    def finish(self, future):
        plan, attempt, reasons = self.in_flight.pop(future)
        try:
            report = future.result()
        except Exception as error:  # the worker died (KilledWorker) or the task broke
            report = {"ok": False, "reason": f"lost: {type(error).__name__}: {error}"}
        if report["ok"]:
            replay = self.keep_replay(plan, report)
            self.store.save(plan, identity(plan), "done", report, "; ".join(reasons), attempt,
                            replay)
            self.tally.done += 1
            return
        reasons = reasons + [f"attempt {attempt}: {report['reason']}"]
        if attempt <= self.retries:
            self.submit(plan, attempt + 1, reasons)
        else:
            self.store.save(plan, identity(plan), "failed", report, "; ".join(reasons), attempt)
            self.tally.failed += 1

    def running(self):
        """Games being played: at most one per worker thread."""
        try:
            threads = self.client.nthreads()
            return sum(min(len(keys), threads.get(worker, 1))
                       for worker, keys in self.client.processing().items())
        except Exception:
            return len(self.in_flight)

    def play(self, plans, watches, progress):
        """Plays the plans; returns False when stopped by Ctrl-C."""
        self.watches = watches
        pending = deque(plans)
        slots = sum(self.client.nthreads().values()) + 1
        try:
            while pending or self.in_flight:
                while pending and len(self.in_flight) < slots:
                    self.submit(pending.popleft(), 1, [])
                try:
                    finished = distributed.wait(list(self.in_flight), timeout=1,
                                                return_when="FIRST_COMPLETED").done
                except TimeoutError:
                    finished = ()
                for future in finished:
                    self.finish(future)
                progress.show(self.tally.done, self.tally.failed, self.running())
        except KeyboardInterrupt:
            self.abandon()
            return False
        finally:
            progress.show(self.tally.done, self.tally.failed, 0, final=True)
        return True

    def abandon(self):
        """Asks the running games to stop and forgets them: their folders
        and processes go, nothing of them is stored."""
        try:
            distributed.Event(self.stop, client=self.client).set()
        except Exception:
            pass
        for future in self.in_flight:
            future.cancel()
        self.in_flight.clear()


def default_workers():
    return len(os.sched_getaffinity(0))
