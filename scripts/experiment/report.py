"""The figures of an experiment from its stored games: per scenario a table
of every figure with its interval per variant and setting, the paired
differences, the failed games and the replay pages of failed trials; as
Markdown (printed at the end of a run) and as one self-contained HTML page.
"""
import json
import math
from dataclasses import dataclass, field

import numpy

from .figures import FIGURES, blow_ups, game_figures, robot_of, watch_of
from .stats import bootstrap, paired_difference, seed_of, wilson


@dataclass
class Cell:
    variant: str
    setting: str
    values: dict = field(default_factory=dict)  # figure key -> {game: value or None}
    blown: dict = field(default_factory=dict)  # game -> blow-ups that may touch its figures
    failed: list = field(default_factory=list)  # (game, reason)
    replays: list = field(default_factory=list)  # (game, link)
    unusable: int = 0  # done, but saying nothing of the scenario

    @property
    def name(self):
        return f"{self.variant} · {self.setting}"

    @property
    def done(self):
        return len(self.blown) + self.unusable


@dataclass
class Summary:
    scenario: object
    cells: list
    comparisons: list  # (title, index of the reference cell, index of the other)


def blow_up_count(watch, result):
    if watch.kind == "match":
        return blow_ups(result)
    robot = robot_of(result, watch)
    return blow_ups(result, robot["label"]) if robot else 0


def fill_cell(cell, watch, rows, games):
    for row in sorted(rows, key=lambda r: r["game"]):
        if row["game"] >= games:
            continue
        if row["status"] == "failed":
            cell.failed.append((row["game"], row["error"]))
            continue
        result = json.loads(row["result"]) if row["result"] else None
        markers = json.loads(row["markers"] or "{}")
        values = game_figures(watch, result, markers)
        if values is None:
            cell.unusable += 1
            continue
        cell.blown[row["game"]] = blow_up_count(watch, result)
        for key, value in values.items():
            cell.values.setdefault(key, {})[row["game"]] = value
        if row["replay"]:
            cell.replays.append((row["game"], row["replay"]))


def comparisons(variants, settings):
    """Each other variant against the first, in every setting; each other
    setting against the first, for the first variant. Indices into the cells
    as summarize orders them (settings outer, variants inner)."""
    def index(v, s):
        return s * len(variants) + v

    pairs = [(f"{variants[v]} − {variants[0]} · {settings[s]}", index(0, s), index(v, s))
             for s in range(len(settings)) for v in range(1, len(variants))]
    pairs += [(f"{settings[s]} − {settings[0]} · {variants[0]}", index(0, 0), index(0, s))
              for s in range(1, len(settings))]
    return pairs


def summarize(experiment, rows, games_limit=None):
    variants = [variant.name for variant in experiment.variants]
    settings = list(experiment.settings)
    summaries = []
    for scenario in experiment.scenarios:
        watch = watch_of(scenario)
        games = min(scenario.games, games_limit or scenario.games)
        cells = []
        for setting in settings:
            for variant in variants:
                cell = Cell(variant, setting)
                fill_cell(cell, watch, [r for r in rows if (r["scenario"], r["variant"],
                                                            r["setting"]) ==
                                        (scenario.name, variant, setting)], games)
                cells.append(cell)
        summaries.append(Summary(scenario, cells, comparisons(variants, settings)))
    return summaries


def digits(value):
    """Three significant digits, never in exponent form."""
    if value == 0 or not math.isfinite(value):
        return f"{value:.0f}" if value == 0 else str(value)
    places = max(0, 2 - math.floor(math.log10(abs(value))))
    return f"{value:.{places}f}"


def share_text(estimate):
    return (f"{100 * estimate.value:.0f} % [{100 * estimate.low:.0f}, "
            f"{100 * estimate.high:.0f}] of {estimate.n}")


def number_text(estimate):
    return (f"{digits(estimate.value)} [{digits(estimate.low)}, {digits(estimate.high)}]"
            f" of {estimate.n}")


def blown_text(cell, values):
    touched = sum(1 for game, value in values.items() if value is not None and cell.blown[game])
    return f"; {touched} with blow-ups" if touched else ""


def estimates(experiment, summary, cell, figure):
    """[(row title, estimate or None)] of one figure in one cell."""
    values = cell.values.get(figure.key, {})
    present = [value for value in values.values() if value is not None]
    if figure.share:
        return [(figure.title, wilson(sum(map(bool, present)), len(present)))]
    seed = (experiment.seed, summary.scenario.name, cell.name, figure.key)
    return [(f"{figure.title}, mean", bootstrap(present, numpy.mean, seed_of(*seed, "mean"))),
            (f"{figure.title}, median",
             bootstrap(present, numpy.median, seed_of(*seed, "median")))]


def table(experiment, summary):
    """(header, rows) of a scenario's table; every row a list of texts."""
    header = ["figure"] + [cell.name for cell in summary.cells]
    rows = [["games: counted / failed"] +
            [f"{cell.done} / {len(cell.failed)}" for cell in summary.cells]]
    for figure in FIGURES[summary.scenario.kind]:
        per_cell = [estimates(experiment, summary, cell, figure) for cell in summary.cells]
        for line in range(len(per_cell[0])):
            row = [per_cell[0][line][0]]
            for cell, found in zip(summary.cells, per_cell):
                estimate = found[line][1]
                text = "–" if estimate is None else (
                    share_text(estimate) if figure.share else number_text(estimate))
                row.append(text + blown_text(cell, cell.values.get(figure.key, {})))
            rows.append(row)
    rows.append(["blow-ups: games with any / in all"] +
                 [f"{sum(1 for n in cell.blown.values() if n)} / {sum(cell.blown.values())}"
                  for cell in summary.cells])
    return header, rows


def difference(experiment, summary, comparison, figure):
    title, before, after = comparison
    return paired_difference(summary.cells[before].values.get(figure.key, {}),
                             summary.cells[after].values.get(figure.key, {}),
                             seed_of(experiment.seed, summary.scenario.name, title, figure.key))


def difference_table(experiment, summary):
    """(header, rows) of the paired differences, None without a comparison."""
    if not summary.comparisons:
        return None
    header = ["figure"] + [comparison[0] for comparison in summary.comparisons]
    rows = []
    for figure in FIGURES[summary.scenario.kind]:
        row = [figure.title + (" (points)" if figure.share else ", mean")]
        for comparison in summary.comparisons:
            estimate = difference(experiment, summary, comparison, figure)
            if estimate is None:
                row.append("–")
            elif figure.share:
                row.append(f"{100 * estimate.value:+.1f} [{100 * estimate.low:+.1f},"
                           f" {100 * estimate.high:+.1f}] of {estimate.n} pairs")
            else:
                row.append(f"{digits(estimate.value)} [{digits(estimate.low)},"
                           f" {digits(estimate.high)}] of {estimate.n} pairs")
        rows.append(row)
    return header, rows


def markdown_table(header, rows):
    def line(cells):
        return "| " + " | ".join(cell.replace("|", "\\|") for cell in cells) + " |"

    return "\n".join([line(header), "|" + "---|" * len(header)] + [line(row) for row in rows])


def markdown(experiment, summaries):
    parts = []
    for summary in summaries:
        parts.append(f"### {summary.scenario.name} ({summary.scenario.kind})\n")
        parts.append(markdown_table(*table(experiment, summary)) + "\n")
        differences = difference_table(experiment, summary)
        if differences:
            parts.append("Paired differences (game i against game i), 95 % intervals:\n")
            parts.append(markdown_table(*differences) + "\n")
    return "\n".join(parts)
