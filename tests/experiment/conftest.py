import os
import sys
from pathlib import Path

import pytest

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parents[1] / "scripts"))

FAKE_FIELDSIM = str(HERE / "fake_fieldsim.py")
FAKE_AGENT = str(HERE / "fake_agent.py")


def processes_in(folder):
    """Pids of the processes that work inside `folder`: their working folder
    or one of their arguments is below it (a game's processes are one or the
    other; a client given the folder itself is not)."""
    below = f"{folder}/"
    found = []
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit() or int(entry.name) == os.getpid():
            continue
        try:
            arguments = (entry / "cmdline").read_bytes().decode().split("\0")
            cwd = os.readlink(entry / "cwd") + "/"
        except OSError:
            continue
        if cwd.startswith(below) or any(argument.startswith(below) for argument in arguments):
            found.append(int(entry.name))
    return found


@pytest.fixture
def write_experiment(tmp_path):
    """Writes an experiment file of fake binaries with the given body."""
    def write(body, name="trial", fieldsim=FAKE_FIELDSIM):
        path = tmp_path / f"{name}.toml"
        path.write_text(f'seed = 7\nfieldsim = "{fieldsim}"\n{body}')
        return path
    return write
