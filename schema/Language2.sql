-- The language database Language2.vx3db: the suite's German texts and their
-- translations into the languages 2 to 4.
--
-- Original holds the German text with its umlauts written as two letters
-- ("Loeschen"); UebersetztN its translation into language N, null while
-- there is none.  Ausgaben holds messages and is where unknown texts are
-- recorded (with the time and the program that met them); Beschriftung
-- holds labels.

CREATE TABLE Ausgaben (
  ID COUNTER,
  Original TEXT(255),
  Uebersetzt2 TEXT(255),
  Uebersetzt3 TEXT(255),
  Uebersetzt4 TEXT(255),
  Aktualisierung DATETIME,
  ApplicationName TEXT(100)
);
CREATE INDEX Ausgaben_Original ON Ausgaben (Original);

CREATE TABLE Beschriftung (
  ID COUNTER,
  Original TEXT(255),
  Uebersetzt2 TEXT(255),
  Uebersetzt3 TEXT(255),
  Uebersetzt4 TEXT(255)
);
CREATE INDEX Beschriftung_Original ON Beschriftung (Original);
