"""Sample installations for the tests of the Python module.

Each test that asks for `installation` gets a new sample installation (the
projects 4711 and O'Neil), made by the `taluvek` command in a temporary
folder that TARVANO_HOME names for the test's duration, so that no test
touches the real settings home.  The command is the one VX_TALUVEK_BINARY
names (CTest sets it to the built one), else `taluvek` on PATH.
"""

import os
import shutil
import subprocess
import threading

import pytest


class Installation:
    def __init__(self, home):
        self.home = home

    def run(self, *args, input=None):
        """Runs the command on this installation; answers its output."""
        done = subprocess.run(
            [taluvek(), *args], input=input, capture_output=True, text=True,
            check=False)
        assert done.returncode == 0, done.stderr
        return done.stdout


def taluvek():
    binary = os.environ.get("VX_TALUVEK_BINARY") or shutil.which("taluvek")
    if not binary:
        pytest.skip("the taluvek command is needed to make a sample installation")
    return binary


@pytest.fixture
def installation(tmp_path, monkeypatch):
    home = tmp_path / "tarvano"
    home.mkdir()
    monkeypatch.setenv("TARVANO_HOME", str(home))
    monkeypatch.delenv("TARVANO_INI", raising=False)
    sample = Installation(home)
    sample.run("einrichten", str(home), "--beispiel")
    return sample


def in_fresh_thread(body):
    """Runs body on a new thread, which starts with the library's per-thread
    state fresh (nobody logged in), and raises what body raised."""
    raised = []

    def run():
        try:
            body()
        except BaseException as error:  # handed to the caller's thread
            raised.append(error)

    thread = threading.Thread(target=run)
    thread.start()
    thread.join()
    if raised:
        raise raised[0]
