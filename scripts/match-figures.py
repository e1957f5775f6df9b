"""The figures of a whole game from fieldsim's result file (scripts/bench.sh
match): its speed in every window of 500 cycles against the first window's
(and fieldsim's own, in cycles per second of its processor time), the
largest group of touching robots in each, the blow-ups per robot and the
longest run of them.

    /usr/bin/python3 scripts/match-figures.py RESULT.json
"""
import json
import sys

# Blow-ups of one robot each at most this many cycles after the one before
# make a run: the span within which fieldsim lays a robot flat.
RUN_GAP = 5
SLOWEST_ALLOWED = 0.8  # of the first window's rate
MOST_RESETS = 20  # per robot in a whole game


def longest_run(cycles):
    """The longest run in a sorted list of cycles, and where it began."""
    best, start, length = (0, None), None, 0
    for i, cycle in enumerate(cycles):
        if i > 0 and cycle - cycles[i - 1] <= RUN_GAP:
            length += 1
        else:
            start, length = cycle, 1
        best = max(best, (length, start), key=lambda run: run[0])
    return best


def main(path):
    result = json.load(open(path))
    windows = result["windows"]
    seconds = result["cycle_seconds"]
    print("%s, %d cycles, %s world (%s solver, %s robot contacts), sync mode" %
          (result["status"], result["cycles"], result["world"]["kind"],
           result["world"].get("solver"), result["world"].get("robot_contact")))
    print("whole game: %.1f cycles/s, %.2f x real time" %
          (result["cycles_per_second"], result["cycles_per_second"] * seconds))
    first = windows[0]["cycles_per_second"]
    print("%-13s %9s %8s %14s %9s" %
          ("cycles", "cycles/s", "x first", "fieldsim CPU", "touching"))
    for w in windows:
        print("%5d-%-7d %9.1f %8.2f %14.1f %9d" %
              (w["first_cycle"], w["first_cycle"] + w["cycles"] - 1, w["cycles_per_second"],
               w["cycles_per_second"] / first, w["cycles_per_processor_second"],
               w["largest_touching_group"]))
    slowest = min(windows, key=lambda w: w["cycles_per_second"])
    ratio = slowest["cycles_per_second"] / first
    print("slowest window: from cycle %d, %.1f cycles/s, %.2f x the first (goal: %.1f or more), "
          "%.2f x real time" % (slowest["first_cycle"], slowest["cycles_per_second"], ratio,
                                SLOWEST_ALLOWED, slowest["cycles_per_second"] * seconds))
    robots = result["robots"]
    resets = " ".join("%s %d" % (r["label"], r["blow_ups"]) for r in robots if r["blow_ups"])
    print("blow-ups: %d robots reset, %d of them laid flat; per robot: %s" %
          (sum(r["blow_ups"] for r in robots), sum(r["laid_flat"] for r in robots),
           resets or "none"))
    most = max(robots, key=lambda r: r["blow_ups"])
    print("most reset: %s, %d times (goal: %d at most)" % (most["label"], most["blow_ups"],
                                                           MOST_RESETS))
    runs = []
    for robot in robots:
        cycles = [e["cycle"] for e in result["events"]
                  if e["kind"] == "blow-up" and e.get("robot") == robot["label"]]
        if cycles:
            runs.append(longest_run(cycles) + (robot["label"],))
    if runs:
        length, start, label = max(runs)
        print("longest run of resets (each within %d cycles of the one before): %d, %s from "
              "cycle %d" % (RUN_GAP, length, label, start))


if __name__ == "__main__":
    main(sys.argv[1])
