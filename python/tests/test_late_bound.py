"""CreateObject("vx_Taluvek.cls_Projekt") and late-bound calls, as the
suite's scripts made them."""

import pytest

import vx_taluvek


def test_a_script_reads_changes_and_saves(installation):
    o = vx_taluvek.CreateObject("vx_Taluvek.cls_Projekt")
    lid = vx_taluvek.ByRef(0)
    nr = vx_taluvek.ByRef(" O'Neil ")
    assert o.bProjektRead(lid, nr) is True
    # Written back into the variables, with their parameters' types.
    assert (lid.value, nr.value) == (2, "O'Neil")
    # Names without regard to case; properties read as values.
    assert o.sprojektbez == o.sProjektBez
    assert o.vProjektDatenRead("ProOrt") == o.Ort
    assert o.bProjektDatenWrite("Bremen", "ProOrt") is True
    # A plain value for a by-reference parameter is passed, not changed.
    assert o.bProjWrite(0, "O'Neil") is True
    o.sProjektNr = " 4711 "
    assert o.SPROJEKTNR == "4711"
    # A text that reads as a number is coerced as the run time does it.
    nummer = vx_taluvek.ByRef(4711)
    assert o.bProjektRead("0", nummer) is True
    assert nummer.value == "4711"

    early = vx_taluvek.cls_Projekt()
    assert early.bProjektRead(0, "O'Neil")[0]
    assert early.Ort == "Bremen"


def test_wrong_calls_raise_with_the_run_times_numbers(installation):
    o = vx_taluvek.CreateObject("VX_TALUVEK.CLS_PROJEKT")
    with pytest.raises(vx_taluvek.UnbekanntesMitglied) as raised:
        o.bProjektLesen(0, "4711")
    assert raised.value.number == 438
    assert isinstance(raised.value, vx_taluvek.Fehler)
    assert isinstance(raised.value, AttributeError)
    assert not hasattr(o, "bProjektLesen")
    assert getattr(o, "sProjektBezeichnung", "fehlt") == "fehlt"
    with pytest.raises(vx_taluvek.UnbekanntesMitglied):
        o.sProjektBez = "nur zu lesen"
    with pytest.raises(vx_taluvek.Fehler) as raised:
        o.bProjektRead(0, "4711", 1)
    assert raised.value.number == 450
    with pytest.raises(vx_taluvek.Fehler) as raised:
        o.bProjektRead("sieben", "4711")
    assert raised.value.number == 13
    with pytest.raises(vx_taluvek.Fehler) as raised:
        vx_taluvek.CreateObject("vx_Taluvek.cls_GibtEsNicht")
    assert raised.value.number == 429
    # A failed operation is no wrong call: it answers False.
    assert o.bProjektRead(0, "9999") is False
    assert o.lProjektErrNum != 0
