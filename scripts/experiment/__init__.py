"""Experiments: many fieldsim games with varied conditions, their results in
SQLite and their figures with confidence intervals (scripts/experiment.sh)."""
