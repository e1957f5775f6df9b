import os
import sys
from pathlib import Path

import pytest

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parents[1] / "scripts"))

FAKE_FIELDSIM = str(HERE / "fake_fieldsim.py")
FAKE_AGENT = str(HERE / "fake_agent.py")


def processes_in(folder):
    """Pids of the processes whose command line or working folder is under
    `folder` (a game's processes are one or the other)."""
    found = []
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit() or int(entry.name) == os.getpid():
            continue
        try:
            command = (entry / "cmdline").read_bytes().replace(b"\0", b" ").decode()
            cwd = os.readlink(entry / "cwd")
        except OSError:
            continue
        if str(folder) in command or cwd.startswith(str(folder)):
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
