"""The experiment's HTML page: one file that opens offline, its tables from
report.py and its plots drawn by matplotlib, inlined as SVG."""
import html
import io
import re

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402  (after choosing the backend)

from .figures import FIGURES  # noqa: E402
from .report import difference, difference_table, estimates, table  # noqa: E402

# Fixed ids and no date in the SVGs, so that the same data gives the same page.
matplotlib.rcParams.update({"svg.hashsalt": "vexa3d", "svg.fonttype": "none",
                            "font.size": 9})

STYLE = """
body { font-family: sans-serif; margin: 2em; max-width: 80em; color: #222; }
table { border-collapse: collapse; margin: 1em 0; }
th, td { border: 1px solid #bbb; padding: 0.25em 0.6em; text-align: left; vertical-align: top; }
th { background: #eee; }
td.failed { color: #a00; }
figure { margin: 1em 0; }
.meta { color: #555; }
"""


def svg(figure, name):
    """The figure as an <svg> element whose ids all begin with `name`, so
    that the page's several plots share none."""
    buffer = io.StringIO()
    figure.savefig(buffer, format="svg", bbox_inches="tight", metadata={"Date": None})
    plt.close(figure)
    text = buffer.getvalue()
    return re.sub(r'(\bid="|url\(#|href="#)', lambda m: m.group(1) + name + "-",
                  text[text.index("<svg"):])


def axes_grid(count, width=3.6, height=2.6, columns=3):
    columns = min(count, columns)
    rows = -(-count // columns)
    figure, grid = plt.subplots(rows, columns, figsize=(width * columns, height * rows),
                                squeeze=False, layout="constrained")
    for extra in grid.flat[count:]:
        extra.set_visible(False)
    return figure, list(grid.flat[:count])


def share_plot(experiment, summary):
    """Each share per variant and setting, with its Wilson interval."""
    shares = [figure for figure in FIGURES[summary.scenario.kind] if figure.share]
    if not shares:
        return None
    figure, grid = axes_grid(len(shares))
    names = [cell.name for cell in summary.cells]
    for axes, share in zip(grid, shares):
        for x, cell in enumerate(summary.cells):
            estimate = estimates(experiment, summary, cell, share)[0][1]
            if estimate:
                axes.errorbar([x], [100 * estimate.value],
                              yerr=[[100 * (estimate.value - estimate.low)],
                                    [100 * (estimate.high - estimate.value)]],
                              fmt="o", capsize=4, color="C0")
        axes.set_title(share.title)
        axes.set_ylim(-5, 105)
        axes.set_ylabel("% of games")
        axes.set_xticks(range(len(names)), names, rotation=20, ha="right")
    return svg(figure, f"{summary.scenario.name}-shares")


def spread_plot(summary):
    """The distribution of each time figure per variant and setting."""
    spreads = [figure for figure in FIGURES[summary.scenario.kind] if figure.spread]
    if not spreads:
        return None
    figure, grid = axes_grid(len(spreads), width=5)
    names = [cell.name for cell in summary.cells]
    for axes, spread in zip(grid, spreads):
        data = [[v for v in cell.values.get(spread.key, {}).values() if v is not None]
                for cell in summary.cells]
        if any(data):
            axes.boxplot([values or [float("nan")] for values in data], labels=names,
                         showfliers=False)
            for x, values in enumerate(data, start=1):
                axes.plot([x] * len(values), values, ".", alpha=0.4, color="C1")
        axes.set_title(spread.title)
        axes.tick_params(axis="x", rotation=20)
    return svg(figure, f"{summary.scenario.name}-spread")


def difference_plot(experiment, summary):
    """Each paired difference with its interval; zero marked."""
    if not summary.comparisons:
        return None
    kinds = FIGURES[summary.scenario.kind]
    figure, grid = axes_grid(len(kinds), width=6, height=0.8 + 0.35 * len(summary.comparisons),
                             columns=1)
    for axes, kind in zip(grid, kinds):
        scale = 100 if kind.share else 1
        for y, comparison in enumerate(summary.comparisons):
            estimate = difference(experiment, summary, comparison, kind)
            if estimate:
                axes.errorbar([scale * estimate.value], [y],
                              xerr=[[scale * (estimate.value - estimate.low)],
                                    [scale * (estimate.high - estimate.value)]],
                              fmt="o", capsize=4, color="C2")
        axes.axvline(0, color="#888", linewidth=0.8)
        axes.set_yticks(range(len(summary.comparisons)),
                        [comparison[0] for comparison in summary.comparisons])
        axes.set_title(kind.title + (" (points)" if kind.share else ""))
    return svg(figure, f"{summary.scenario.name}-differences")


def html_table(header, rows):
    head = "".join(f"<th>{html.escape(cell)}</th>" for cell in header)
    body = "".join("<tr>" + "".join(f"<td>{html.escape(cell)}</td>" for cell in row) + "</tr>"
                   for row in rows)
    return f"<table><tr>{head}</tr>{body}</table>"


def conditions_text(scenario):
    players = len(scenario.players)
    parts = [f"kind {scenario.kind}", f"{players} player{'s' if players > 1 else ''}",
             f"watching {scenario.watch}"]
    parts.append(f"{scenario.cycles} cycles" if scenario.cycles else
                 f"{scenario.follow} cycles after the push")
    if scenario.world:
        parts.append(", ".join(f"{key} {value}" for key, value in scenario.world.items()))
    return "; ".join(parts)


def section(experiment, summary):
    scenario = summary.scenario
    parts = [f"<h2 id='{html.escape(scenario.name)}'>{html.escape(scenario.name)}</h2>",
             f"<p class='meta'>{html.escape(conditions_text(scenario))}</p>",
             html_table(*table(experiment, summary))]
    differences = difference_table(experiment, summary)
    if differences:
        parts += ["<h3>Paired differences (game i against game i), 95 % intervals</h3>",
                  html_table(*differences)]
    for plot in (share_plot(experiment, summary), spread_plot(summary),
                 difference_plot(experiment, summary)):
        if plot:
            parts.append(f"<figure>{plot}</figure>")
    replays = [(cell.name, game, link) for cell in summary.cells for game, link in cell.replays]
    if replays:
        parts.append("<h3>Failed trials, at the moment that matters</h3><ul>")
        parts += [f"<li><a href='{html.escape(link)}'>{html.escape(name)}, game {game}</a></li>"
                  for name, game, link in replays]
        parts.append("</ul>")
    failed = [(cell.name, game, reason) for cell in summary.cells for game, reason in cell.failed]
    if failed:
        parts.append("<h3>Games that failed (not counted)</h3>")
        parts.append(html_table(["variant · setting", "game", "reason"],
                                [[name, str(game), reason or ""] for name, game, reason in failed]))
    return "\n".join(parts)


def page(experiment, summaries, meta):
    """The whole page; `meta` is a list of lines about the run."""
    body = "\n".join(section(experiment, summary) for summary in summaries)
    lines = "".join(f"<p class='meta'>{html.escape(line)}</p>" for line in meta)
    title = html.escape(f"Experiment {experiment.name}")
    return (f"<!DOCTYPE html>\n<html lang='en'><head><meta charset='utf-8'><title>{title}"
            f"</title><style>{STYLE}</style></head><body><h1>{title}</h1>{lines}{body}"
            "</body></html>\n")
