"""Python values through the library's variants and back: through the
field cache, and stored in the database and read again."""

import datetime
import decimal

import pytest

import vx_taluvek


@pytest.fixture
def projekt(installation):
    p = vx_taluvek.cls_Projekt()
    assert p.bProjektRead(0, "4711")[0]
    return p


@pytest.mark.parametrize("value, back", [
    (None, None),
    (True, True),
    (False, False),
    (0, 0),
    (-2**31, -2**31),
    (2**31 - 1, 2**31 - 1),
    (2**31, float(2**31)),      # beyond 32 bits: a double
    (-2**53, float(-2**53)),
    (1.5, 1.5),
    (float("inf"), float("inf")),
    ("", ""),
    ("O'Neil – Straße 5 €", "O'Neil – Straße 5 €"),
    ("\udcff", "\udcff"),       # a byte that was no UTF-8 goes back as it came
    (b"", b""),
    (b"\x00\xff\x10", b"\x00\xff\x10"),
    (bytearray(b"ab"), b"ab"),
    (memoryview(b"cd"), b"cd"),
    (datetime.datetime(2024, 3, 5, 14, 7, 9), datetime.datetime(2024, 3, 5, 14, 7, 9)),
    (datetime.datetime(1899, 12, 29, 23, 59, 59), datetime.datetime(1899, 12, 29, 23, 59, 59)),
    (datetime.datetime(2024, 12, 31, 23, 59, 59, 500000), datetime.datetime(2025, 1, 1)),
    (datetime.datetime(2024, 3, 5, 8, 0, 0, 499999), datetime.datetime(2024, 3, 5, 8)),
    (datetime.date(9999, 12, 31), datetime.datetime(9999, 12, 31)),
    (decimal.Decimal("1234.5"), decimal.Decimal("1234.5000")),
    (decimal.Decimal("-0.00005"), decimal.Decimal("0.0000")),  # half to even
    (decimal.Decimal("0.00015"), decimal.Decimal("0.0002")),
])
def test_round_trip_through_the_field_cache(projekt, value, back):
    assert projekt.bProjektDatenWrite(value, "Bemerkung") is True
    read = projekt.vProjektDatenRead("Bemerkung")
    assert read == back and type(read) is type(back)


def test_an_aware_datetime_becomes_local_time(projekt):
    utc = datetime.datetime(2024, 6, 1, 12, 0, tzinfo=datetime.timezone.utc)
    projekt.bProjektDatenWrite(utc, "Baubeginn")
    read = projekt.vProjektDatenRead("Baubeginn")
    assert read.tzinfo is None
    assert read == utc.astimezone().replace(tzinfo=None)


@pytest.mark.parametrize("value, error", [
    (object(), 13),
    ([1, 2], 13),
    (2**53 + 1, 6),
    (-2**70, 6),
    (decimal.Decimal("NaN"), 6),
    (decimal.Decimal("1e20"), 6),           # beyond the range of currency
    (datetime.date(1, 1, 1), 5),           # before the year 100
])
def test_values_no_variant_holds_raise(projekt, value, error):
    with pytest.raises(vx_taluvek.Fehler) as raised:
        projekt.bProjektDatenWrite(value, "Bemerkung")
    assert raised.value.number == error


def test_values_stored_and_read_again(installation, projekt):
    start = datetime.datetime(2026, 5, 4, 7, 30, 15)
    assert projekt.bProjektDatenWrite(start, "Baubeginn")
    assert projekt.bProjektDatenWrite(None, "Bauende")
    assert projekt.bProjektDatenWrite(True, "IsRVProj")
    assert projekt.bProjektDatenWrite(17.25, "NNF")
    assert projekt.bProjektDatenWrite("Zweiter Bauabschnitt", "ProBez")
    assert projekt.bProjWrite(0, "4711")[0]

    again = vx_taluvek.cls_Projekt()
    assert again.bProjektRead(0, "4711")[0]
    assert again.vProjektDatenRead("Baubeginn") == start
    assert again.vProjektDatenRead("Bauende") is None
    assert again.vProjektDatenRead("IsRVProj") is True
    assert again.vProjektDatenRead("NNF") == 17.25
    assert again.vProjektDatenRead("ProBez") == "Zweiter Bauabschnitt"
