"""cls_Projekt from Python: reading, saving, locking, the tuple form of the
by-reference arguments, failures in the error fields."""

import vx_taluvek


def test_read_change_save(installation):
    p = vx_taluvek.cls_Projekt()
    # The number is trimmed and handed back with the identity.
    assert p.bProjektRead(0, " 4711 ") == (True, 1, "4711")
    assert (p.sProjektBez, p.Ort, p.PLZ, p.lProjektId, p.sProjektNr) == (
        "Neubau Kindergarten Sonnenschein", "München", "80331", 1, "4711")
    assert p.vProjektDatenRead("proort") == "München"
    assert p.vProjektDatenRead(1) == "4711"
    assert p.nProjektfieldscount > 30

    assert p.bProjektDatenWrite("Neubau Kindergarten Nord", "ProBez") is True
    assert p.bProjektDatenWrite(1300000, "BudgetNetto") is True
    assert p.bProjWrite(0, "4711") == (True, 1, "4711")

    again = vx_taluvek.cls_Projekt()
    # By identity alone: the number comes back.
    assert again.bProjektRead(lProjID=1) == (True, 1, "4711")
    assert again.sProjektBez == "Neubau Kindergarten Nord"
    assert again.vProjektDatenRead("BudgetNetto") == 1300000
    assert "Neubau Kindergarten Nord" in installation.run(
        "projekt", "zeigen", "4711")

    p.sProjektNr = "  O'Neil "
    assert p.sProjektNr == "O'Neil"
    assert p.sProgKey == ""


def test_failures_are_in_the_error_fields(installation):
    p = vx_taluvek.cls_Projekt()
    assert p.bProjektDatenWrite("x", "ProBez") is False  # nothing read yet
    assert p.lProjektErrNum == 91
    ok, _, number = p.bProjektRead(0, "9999")
    assert (ok, number) == (False, "9999")
    assert p.bProjektRead(0, "4711")[0] is True
    assert p.bProjektDatenWrite("x", "GibtEsNicht") is False
    assert p.lProjektErrNum != 0 and p.sProjektErrText
    assert p.vProjektDatenRead("GibtEsNicht") is None
    p.ProjektInit()
    assert (p.lProjektErrNum, p.sProjektErrText, p.sProjektNr) == (0, "", "")


def test_lock_and_unlock(installation):
    first = vx_taluvek.cls_Projekt()
    second = vx_taluvek.cls_Projekt()
    assert first.bProjektLock(0, "4711") == (True, 0, "4711")
    assert second.bProjektLock(1, "")[0] is False
    assert (second.lProjektErrNum, second.sProjektErrText) == (
        -20, "Projekt schon gesperrt!")
    assert first.bProjektUnLock(0, "4711")[0] is True
    assert second.bProjektLock(0, "O'Neil")[0] is True
    assert second.bProjektUnLockAll() is True
    assert first.bProjektLock(0, "O'Neil")[0] is True
    assert first.bProjektUnLock(0, "O'Neil")[0] is True


def test_arguments_of_the_wrong_type_raise(installation):
    p = vx_taluvek.cls_Projekt()
    p.bProjektRead(0, "4711")
    try:
        p.bProjektDatenWrite(object(), "ProBez")
    except vx_taluvek.Fehler as error:
        assert isinstance(error, Exception)
        assert (error.number, error.description, error.source) == (
            13, "Type mismatch", "vx_Taluvek")
    else:
        raise AssertionError("no Fehler")
    try:
        p.bProjektDatenWrite(2**60, "ProBez")  # no double holds it exactly
    except vx_taluvek.Fehler as error:
        assert error.number == 6
    else:
        raise AssertionError("no Fehler")
    assert p.vProjektDatenRead("ProBez") == "Neubau Kindergarten Sonnenschein"
