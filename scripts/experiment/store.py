"""The results of an experiment in SQLite: one row per game, written only by
the client, one transaction per game, as results arrive.

A row is "done" (the game counts) or "failed" (after its retries, with the
reason). A later run plays again only the games without a done row; a failed
one is played again and its row replaced.
"""
import json
import sqlite3
from datetime import datetime, timezone

SCHEMA = """
CREATE TABLE IF NOT EXISTS games (
    experiment TEXT NOT NULL,
    scenario TEXT NOT NULL,
    variant TEXT NOT NULL,
    setting TEXT NOT NULL,
    game INTEGER NOT NULL,
    conditions TEXT NOT NULL,   -- JSON: what was varied
    identity TEXT NOT NULL,     -- JSON: conditions and command lines as planned
    commands TEXT,              -- JSON: the command lines as run
    status TEXT NOT NULL CHECK (status IN ('done', 'failed')),
    result TEXT,                -- JSON: fieldsim's result file
    markers TEXT,               -- JSON: marker lines counted per agent
    error TEXT,                 -- why it failed, every attempt's reason
    tails TEXT,                 -- JSON: the last lines of each output, for a failed game
    attempts INTEGER NOT NULL,
    worker TEXT,
    started TEXT,
    ended TEXT,
    replay TEXT,                -- the kept replay page of a failed trial
    PRIMARY KEY (experiment, scenario, variant, setting, game)
)"""


class Refused(Exception):
    pass


def stamp(seconds):
    if seconds is None:
        return None
    return datetime.fromtimestamp(seconds, timezone.utc).isoformat(timespec="seconds")


class Store:
    def __init__(self, path):
        self.path = path
        self.db = sqlite3.connect(path)
        self.db.execute(SCHEMA)
        self.db.commit()

    def close(self):
        self.db.close()

    def rows(self, experiment):
        cursor = self.db.execute(
            "SELECT scenario, variant, setting, game, status, identity, result, markers,"
            " error, replay FROM games WHERE experiment = ?", (experiment,))
        names = [column[0] for column in cursor.description]
        return [dict(zip(names, row)) for row in cursor]

    def replays_kept(self, experiment):
        """{scenario: replay pages kept}"""
        return dict(self.db.execute(
            "SELECT scenario, COUNT(*) FROM games WHERE experiment = ? AND replay IS NOT NULL"
            " GROUP BY scenario", (experiment,)))

    def check(self, experiment, plans):
        """The plans still to play; Refused when a game stored as done was
        played under other conditions or command lines than its plan says now."""
        stored = {(r["scenario"], r["variant"], r["setting"], r["game"]): r
                  for r in self.rows(experiment)}
        todo = []
        changed = []
        for key, plan, identity in plans:
            row = stored.get(key)
            if not row or row["status"] != "done":
                todo.append(plan)
            elif json.loads(row["identity"]) != identity:
                changed.append(key)
        if changed:
            scenario, variant, setting, game = changed[0]
            raise Refused(
                f"{self.path} holds {len(changed)} games played under other conditions or command"
                f" lines than the file gives now (the first: scenario {scenario}, variant"
                f" {variant}, setting {setting}, game {game}); run with --fresh to play them"
                " again, or keep the file as it was")
        return todo

    def save(self, plan, identity, status, report, error, attempts, replay=None):
        row = {
            "experiment": plan["experiment"], "scenario": plan["scenario"],
            "variant": plan["variant"], "setting": plan["setting"], "game": plan["index"],
            "conditions": json.dumps(plan["conditions"]), "identity": json.dumps(identity),
            "commands": json.dumps(report.get("commands")), "status": status,
            "result": json.dumps(report.get("result")) if report.get("result") else None,
            "markers": json.dumps(report.get("markers", {})), "error": error or None,
            "tails": json.dumps(report.get("tails")) if report.get("tails") else None,
            "attempts": attempts, "worker": report.get("worker"),
            "started": stamp(report.get("started")), "ended": stamp(report.get("ended")),
            "replay": replay,
        }
        with self.db:
            self.db.execute(
                f"INSERT OR REPLACE INTO games ({', '.join(row)})"
                f" VALUES ({', '.join('?' * len(row))})", list(row.values()))
