"""The hosting program's hooks from Python: the library asks the login hook
for a user and shows its message boxes through the message box hook."""

import sys

import pytest

import vx_taluvek
from conftest import in_fresh_thread


@pytest.fixture
def administered(installation):
    """The sample with the user administration on and one administrator."""
    installation.run("benutzer", "anlegen", "anna", "--admin", input="geheim1\n")
    installation.run("verwaltung", "an")
    yield installation
    vx_taluvek.SetHostHooks()


def test_login_and_message_box_hooks(administered, monkeypatch):
    """A login holds for the whole process, as the suite's current user
    does, so the refusals come first and the successful login last."""
    unraisable = []
    monkeypatch.setattr(sys, "unraisablehook", unraisable.append)
    calls = []
    answers = iter([
        None,                   # cancelled
        ZeroDivisionError,      # the hook raises
        "anna",                 # no (name, password)
        ("anna", "falsch"),     # refused with a message, asked again
        ("anna", "geheim1"),
    ])

    def login(caption):
        calls.append(("login", caption))
        answer = next(answers)
        if answer is ZeroDivisionError:
            raise answer("im Anmeldedialog")
        return answer

    def message_box(prompt, style, title):
        calls.append(("box", prompt, style, title))
        # A failing message box answers for its only button, OK.
        raise RuntimeError("kein Bildschirm")

    vx_taluvek.SetHostHooks(login=login, message_box=message_box)

    def create():
        p = vx_taluvek.cls_Projekt()
        for _ in range(3):
            assert p.bProjektNeu(0, "4800")[0] is False
        ok, lid, nr, rv = p.bProjektNeu(0, "4800")
        assert (ok, nr, rv) == (True, "4800", False) and lid > 0
        assert p.bProjektRead(lid, "") == (True, lid, "4800")

    in_fresh_thread(create)
    assert [c[0] for c in calls] == ["login"] * 4 + ["box", "login"]
    assert all(c[1].startswith("Login") for c in calls if c[0] == "login")
    assert "Passwort" in calls[4][1] and calls[4][2] == 4144
    # The failing hooks were reported, not passed through the library.
    assert [type(u.exc_value) for u in unraisable] == [
        ZeroDivisionError, TypeError, RuntimeError]
    assert "4800" in administered.run("projekt", "liste")
