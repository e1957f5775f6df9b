#!/usr/bin/env bash
# Runs an experiment: many fieldsim games with varied conditions, stored in
# results/NAME.sqlite, reported in results/NAME.html and as Markdown tables.
#
#   scripts/experiment.sh experiments/stand-up.toml                 # this machine, all cores
#   scripts/experiment.sh experiments/stand-up.toml --scheduler tcp://HOST:8786
#   scripts/experiment.sh --help                                    # every option
#
# Builds the release build's vexa3d and fieldsim first (build/release), the
# default paths of an experiment file; $VEXA_EXPERIMENT_NO_BUILD=1 skips that
# (a cluster's machines built beforehand). Python is Debian's /usr/bin/python3,
# which imports Debian's Dask, matplotlib and numpy.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"

if [ -z "${VEXA_EXPERIMENT_NO_BUILD:-}" ]; then
  (
    cd "$repo"
    source scripts/deps.sh
    ensure_build_deps
    ensure_python_deps
    if [ ! -f build/release/build.ninja ]; then
      cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    fi
    cmake --build build/release --target vexa3d fieldsim >/dev/null
  ) >&2
fi
PYTHONPATH="$repo/scripts${PYTHONPATH:+:$PYTHONPATH}" exec /usr/bin/python3 -m experiment "$@"
