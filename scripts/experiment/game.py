"""The game task, run by a Dask worker: one game in a fresh folder, played
under its guard (guard.py), and what came of it.

A worker needs nothing of this checkout but the binaries: the client sends
this module's functions (and figures.py's) by value and the guard's source
inside the plan, so only the standard library is imported here.
"""
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

from .figures import Watch, failure_moment

TAIL_LINES = 20
# The guard ends its game by itself; past this much more the worker kills it.
GUARD_MARGIN_SECONDS = 20
# How often a game looks whether the client asked every game to stop.
STOP_CHECK_SECONDS = 2


def missing_paths(paths):
    """The programs this worker cannot run: missing, or not executable files
    (run on every worker before the first game)."""
    return [path for path in paths if not (os.path.isfile(path) and os.access(path, os.X_OK))]


def tail(path, lines=TAIL_LINES):
    try:
        with open(path, "rb") as text:
            text.seek(0, os.SEEK_END)
            text.seek(max(0, text.tell() - 200 * lines))
            return b"\n".join(text.read().splitlines()[-lines:]).decode(errors="replace")
    except OSError:
        return ""


def first_line(path):
    try:
        with open(path, "rb") as text:
            return text.readline().decode(errors="replace").strip()
    except OSError:
        return ""


def count_markers(path, markers):
    """How many lines of an agent's output begin with each marker."""
    counts = dict.fromkeys(markers, 0)
    if not markers:
        return counts
    with open(path, "rb") as text:
        for line in text:
            for marker in markers:
                if line.startswith(marker.encode()):
                    counts[marker] += 1
    return counts


def prepare(plan, folder):
    """What the guard plays: the agents' folders made, "{dir}" filled in."""
    def fill(command):
        return [part.replace("{dir}", folder) for part in command]

    agents = []
    for agent in plan["agents"]:
        os.makedirs(os.path.join(folder, agent["folder"]))
        with open(os.path.join(folder, agent["folder"], "formations.conf"), "w") as out:
            out.write(agent["formation"])
        agents.append({"folder": agent["folder"], "command": fill(agent["command"])})
    return {"fieldsim": fill(plan["fieldsim"]), "agents": agents,
            "second_team": plan["second_team"], "timeout": plan["timeout"]}


def status_text(status):
    return f"was killed by signal {-status}" if status < 0 else f"exited with status {status}"


def fieldsim_failure(outcome, result):
    """What went wrong on fieldsim's side of a played game; "" if nothing."""
    if result is None:
        return f"fieldsim wrote no result (it {status_text(outcome['fieldsim_status'])})"
    if result.get("status") != "completed":
        return f"fieldsim: {result.get('status')}: {result.get('reason', '')}".rstrip(": ")
    if outcome["fieldsim_status"] != 0:
        return f"fieldsim {status_text(outcome['fieldsim_status'])}"
    return ""


def failure(outcome, result, said=""):
    """Why a game does not count, or "" when it does; `said` is the first
    line fieldsim printed. An agent that ended badly comes first: it is
    usually why fieldsim did not complete the game."""
    if outcome.get("error"):
        return outcome["error"]
    if outcome.get("lost"):
        return "the game was given up"
    if outcome["port"] is None:
        return (f"fieldsim did not start listening (it {status_text(outcome['fieldsim_status'])}"
                f"{': ' + said if said else ''})")
    if outcome["timed_out"]:
        return "timed out"
    reasons = [f"agent {agent} {status_text(status)}"
               for agent, status in zip(outcome["agents"], outcome["agent_status"]) if status != 0]
    return "; ".join(reason for reason in reasons + [fieldsim_failure(outcome, result)] if reason)


def read_json(path):
    try:
        with open(path) as text:
            return json.load(text)
    except (OSError, ValueError):
        return None


def worker_name():
    """The Dask worker's address, or the host's name outside a worker."""
    try:
        from distributed import get_worker
        return get_worker().address
    except Exception:
        return socket.gethostname()


def stop_requested(name):
    """True once the client has asked every running game to stop."""
    if not name:
        return False
    try:
        from distributed import Event
        return Event(name).is_set()
    except Exception:  # no client or scheduler reachable: play on
        return False


def run_guard(folder, concrete, source, stop):
    plan_file = os.path.join(folder, "plan.json")
    with open(plan_file, "w") as out:
        json.dump(concrete, out)
    guard_file = os.path.join(folder, "guard.py")
    with open(guard_file, "w") as out:
        out.write(source)
    outcome_file = os.path.join(folder, "outcome.json")
    with open(os.path.join(folder, "guard.txt"), "wb") as log:
        guard = subprocess.Popen([sys.executable, guard_file, plan_file, outcome_file],
                                 stdin=subprocess.PIPE, stdout=log, stderr=subprocess.STDOUT,
                                 start_new_session=True)
    until = time.monotonic() + concrete["timeout"] + GUARD_MARGIN_SECONDS
    while True:
        try:
            guard.wait(STOP_CHECK_SECONDS)
            break
        except subprocess.TimeoutExpired:
            pass
        if time.monotonic() > until or stop_requested(stop):
            guard.stdin.close()  # the lifeline: the guard kills the game at once
            try:
                guard.wait(GUARD_MARGIN_SECONDS)
            except subprocess.TimeoutExpired:
                os.killpg(guard.pid, 9)
                guard.wait()
            break
    guard.stdin.close()
    return read_json(outcome_file) or {
        "port": None, "timed_out": False, "lost": False, "fieldsim_status": None,
        "agent_status": [], "error": f"the guard failed: {tail(os.path.join(folder, 'guard.txt'))}"}


def play(plan):
    """Plays one game; returns the result with what the worker saw of it."""
    started = time.time()
    base = plan.get("work") or None
    if base:
        os.makedirs(base, exist_ok=True)
    folder = tempfile.mkdtemp(prefix="vexa-game-", dir=base)
    try:
        concrete = prepare(plan, folder)
        outcome = run_guard(folder, concrete, plan["guard"], plan.get("stop"))
        outcome["agents"] = [agent["label"] for agent in plan["agents"]]
        result = read_json(os.path.join(folder, "result.json"))
        reason = failure(outcome, result, first_line(os.path.join(folder, "fieldsim.txt")))
        commands = [concrete["fieldsim"]] + [agent["command"] for agent in concrete["agents"]]
        if outcome["port"] is not None:
            commands = [[part.replace("{port}", str(outcome["port"])) for part in command]
                        for command in commands]
        report = {
            "ok": not reason, "reason": reason, "result": result, "commands": commands,
            "markers": {}, "tails": {}, "replay": None,
            "worker": worker_name(), "started": started,
        }
        for agent in plan["agents"]:
            output = os.path.join(folder, agent["folder"], "output.txt")
            if os.path.exists(output):
                report["markers"][agent["label"]] = count_markers(output, plan["markers"])
        if reason:
            for name in ["fieldsim.txt"] + [f"{a['folder']}/output.txt" for a in plan["agents"]]:
                report["tails"][name] = tail(os.path.join(folder, name))
        # A replay page travels back only for a trial that failed.
        replay = os.path.join(folder, "replay.html")
        if (plan.get("replay") and not reason and os.path.exists(replay)
                and failure_moment(Watch(**plan["watch"]), result, report["markers"]) is not None):
            with open(replay, "rb") as page:
                report["replay"] = page.read()
        report["ended"] = time.time()
        return report
    finally:
        shutil.rmtree(folder, ignore_errors=True)
