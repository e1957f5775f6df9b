"""The guard of one game: starts fieldsim and its agents, waits for the end
and leaves none of them running.

    python3 guard.py PLAN.json OUTCOME.json     (its standard input: the lifeline)

It runs as the leader of a session of its own, started by the worker with a
pipe on its standard input whose other end only the worker holds. The game
ends, and every process of it is killed, when
  - fieldsim ends (the agents get a few seconds to follow it),
  - every agent ends first (fieldsim gets half a second to follow them, then
    SIGTERM),
  - the time-out passes (fieldsim is asked with SIGTERM first, so that it
    writes its result), or
  - the lifeline breaks: the worker died, or gave the game up.
Each child also gets SIGKILL from the kernel if the guard itself dies
(PR_SET_PDEATHSIG), so no fieldsim or agent outlives its game.

It reads only the standard library, since a worker runs it from a file the
task writes, not from an installed package.
"""
import ctypes
import json
import os
import re
import select
import signal
import subprocess
import sys
import time

PORT = re.compile(rb"listening on 127\.0\.0\.1:(\d+)")
PR_SET_PDEATHSIG = 1
GRACE_SECONDS = 5
# fieldsim sees within a cycle that every agent has left.
FOLLOW_SECONDS = 0.5
POLL_SECONDS = 0.05


class Lost(Exception):
    """The lifeline broke."""


def die_with_parent():
    try:
        ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGKILL)
    except (OSError, AttributeError):
        pass  # not Linux: the lifeline still ends the game


class Game:
    def __init__(self, plan, lifeline):
        self.plan = plan
        self.lifeline = lifeline
        self.deadline = time.monotonic() + plan["timeout"]
        self.server = None
        self.agents = []

    def start(self, command, output, cwd=None):
        with open(output, "wb") as out:
            return subprocess.Popen(command, cwd=cwd, stdin=subprocess.DEVNULL, stdout=out,
                                    stderr=subprocess.STDOUT, preexec_fn=die_with_parent)

    def pause(self, seconds):
        """Sleeps up to `seconds`; False once the time-out has passed."""
        remaining = min(seconds, self.deadline - time.monotonic())
        if remaining <= 0:
            return False
        ready, _, _ = select.select([self.lifeline], [], [], remaining)
        if ready and not os.read(self.lifeline, 1):
            raise Lost()
        return True

    def port(self, output):
        while self.server.poll() is None:
            with open(output, "rb") as text:
                found = PORT.search(text.read())
            if found:
                return int(found.group(1))
            if not self.pause(POLL_SECONDS):
                return None
        return None

    def start_agents(self, folder, port):
        for index, agent in enumerate(self.plan["agents"]):
            if index == self.plan.get("second_team"):
                self.pause(0.2)
            command = [part.replace("{port}", str(port)) for part in agent["command"]]
            cwd = os.path.join(folder, agent["folder"])
            self.agents.append(self.start(command, os.path.join(cwd, "output.txt"), cwd))

    def server_ended(self):
        return self.server.poll() is not None

    def agents_ended(self):
        return bool(self.agents) and all(agent.poll() is not None for agent in self.agents)

    def wait(self, done, seconds=None):
        """Waits until done() or the time-out, or `seconds` from now if given;
        returns done()."""
        if seconds is not None:
            self.deadline = time.monotonic() + seconds
        while not done():
            if not self.pause(POLL_SECONDS):
                return done()
        return True

    def play(self, folder):
        outcome = {"port": None, "timed_out": False, "lost": False}
        output = os.path.join(folder, "fieldsim.txt")
        try:
            self.server = self.start(self.plan["fieldsim"], output)
            outcome["port"] = self.port(output)
            if outcome["port"] is not None:
                self.start_agents(folder, outcome["port"])
            ended = self.wait(lambda: self.server_ended() or self.agents_ended())
            outcome["timed_out"] = not ended
            # Agents that all ended first leave fieldsim nothing to play: it
            # ends by itself when they had joined, and would wait for them
            # until its join time-out when they had not.
            if ended and not self.server_ended():
                self.wait(self.server_ended, FOLLOW_SECONDS)
            if not self.server_ended():
                self.server.send_signal(signal.SIGTERM)  # it writes its result
                self.wait(self.server_ended, GRACE_SECONDS)
            self.wait(lambda: all(agent.poll() is not None for agent in self.agents),
                      GRACE_SECONDS)
        except Lost:
            outcome["lost"] = True
        except OSError as error:
            outcome["error"] = f"cannot start {error.filename}: {error.strerror}"
        finally:
            self.kill_all()
        outcome["fieldsim_status"] = self.server.returncode if self.server else None
        outcome["agent_status"] = [agent.returncode for agent in self.agents]
        return outcome

    def kill_all(self):
        for process in [self.server] + self.agents:
            if process and process.poll() is None:
                process.kill()
                process.wait()


def main():
    plan_file, outcome_file = sys.argv[1:3]
    with open(plan_file) as text:
        plan = json.load(text)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    signal.signal(signal.SIGINT, signal.SIG_IGN)
    outcome = Game(plan, sys.stdin.fileno()).play(os.path.dirname(os.path.abspath(plan_file)))
    with open(outcome_file + ".part", "w") as out:
        json.dump(outcome, out)
    os.rename(outcome_file + ".part", outcome_file)


if __name__ == "__main__":
    main()
