"""Confidence intervals: Wilson's for shares, a seeded bootstrap for means,
medians and paired differences (95 % each)."""
import hashlib
from dataclasses import dataclass

import numpy

Z95 = 1.959963984540054
RESAMPLES = 4000


@dataclass(frozen=True)
class Estimate:
    value: float
    low: float
    high: float
    n: int


def wilson(successes, n, z=Z95):
    """The share successes/n with Wilson's score interval; None for n = 0."""
    if n == 0:
        return None
    share = successes / n
    denominator = 1 + z * z / n
    centre = (share + z * z / (2 * n)) / denominator
    half = z * (share * (1 - share) / n + z * z / (4 * n * n)) ** 0.5 / denominator
    # At 0 of n and n of n the bound on that side is exactly the share.
    low = 0.0 if successes == 0 else max(0.0, centre - half)
    high = 1.0 if successes == n else min(1.0, centre + half)
    return Estimate(share, low, high, n)


def seed_of(*names):
    """A bootstrap seed from names (experiment seed, scenario, cell, figure),
    the same on every run and machine."""
    digest = hashlib.sha256("/".join(map(str, names)).encode()).digest()
    return int.from_bytes(digest[:8], "little")


def bootstrap(values, statistic, seed, resamples=RESAMPLES):
    """statistic (numpy.mean or numpy.median) of the values with its
    percentile bootstrap interval; None for no values."""
    data = numpy.asarray(values, dtype=float)
    if data.size == 0:
        return None
    rng = numpy.random.Generator(numpy.random.PCG64(seed))
    samples = statistic(data[rng.integers(0, data.size, (resamples, data.size))], axis=1)
    low, high = numpy.percentile(samples, [2.5, 97.5])
    return Estimate(float(statistic(data)), float(low), float(high), int(data.size))


def paired_difference(before, after, seed):
    """The mean of after - before ({game index: value} each) over the games
    both define, game i with game i, with its bootstrap interval over those
    pairs; shares count as 0 and 1, so theirs is a difference of proportions."""
    common = sorted(index for index in before.keys() & after.keys()
                    if before[index] is not None and after[index] is not None)
    return bootstrap([float(after[i]) - float(before[i]) for i in common], numpy.mean, seed)
