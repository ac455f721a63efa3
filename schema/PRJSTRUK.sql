-- The project database PROJEKT.VX3DB, empty: the template from which an
-- installation makes its project database.
--
-- Projekt holds the master record of each building project.  Its columns
-- travel through the project object's field cache in this order; the
-- object knows the figures, dates and remarks by name and writes every
-- other column by its type, so columns may be added at the end.
-- SatzLockKZ is the advisory lock flag of a project opened for editing.

CREATE TABLE Projekt (
  Id COUNTER,
  ProNr TEXT(50),
  ProBez TEXT(255),
  ProWaehrung TEXT(10),
  ProStrasse TEXT(100),
  ProPLZ TEXT(10),
  ProOrt TEXT(100),
  ProLand TEXT(50),
  Gemeinde TEXT(100),
  Gemarkung TEXT(100),
  FlurNr TEXT(30),
  FlurStueckNr TEXT(30),
  IsRVProj YESNO,
  SatzLockKZ YESNO,
  StrukturId LONG,
  LastUser LONG,
  DinKZ SHORT,
  Archiviert SHORT,
  NNF DOUBLE,
  FF DOUBLE,
  VF DOUBLE,
  NRI DOUBLE,
  ProMwSt DOUBLE,
  BudgetNetto CURRENCY,
  BudgetBrutto CURRENCY,
  SchaetzNetto CURRENCY,
  SchaetzBrutto CURRENCY,
  ObjNetto CURRENCY,
  ObjBrutto CURRENCY,
  Aktualisierung DATETIME,
  Baubeginn DATETIME,
  Bauende DATETIME,
  LetzteSicherung DATETIME,
  Bemerkung MEMO
);
-- Projects are looked up by number; numbers are not unique, since every
-- project not numbered yet carries its creator's placeholder.
CREATE INDEX Projekt_ProNr ON Projekt (ProNr);
CREATE INDEX Projekt_StrukturId ON Projekt (StrukturId);

-- The project structure: a tree of nodes under which projects are filed
-- (Projekt.StrukturId), each node below its ParentKey (0 at the top).
CREATE TABLE Projektverwaltung (
  ID COUNTER,
  ParentKey LONG DEFAULT 0,
  Bezeichnung TEXT(255),
  Sortierung LONG
);
CREATE INDEX Projektverwaltung_ParentKey ON Projektverwaltung (ParentKey);

-- The project files that live as rows when the data lie on a database
-- server, each row naming its project: the object data (LIDPROJ), the cost
-- breakdowns by the standard and net (BKB, BKBNet), the measurement sheets
-- (TabProRb) and the costings (Kalkulation).
CREATE TABLE TBPROJOBJ (
  ID COUNTER,
  LIDPROJ LONG,
  Bezeichnung TEXT(255),
  Aktualisierung DATETIME
);
CREATE INDEX TBPROJOBJ_LIDPROJ ON TBPROJOBJ (LIDPROJ);

CREATE TABLE BKB (
  ID COUNTER,
  ProjektId LONG,
  Bezeichnung TEXT(255),
  Aktualisierung DATETIME
);
CREATE INDEX BKB_ProjektId ON BKB (ProjektId);

CREATE TABLE BKBNet (
  ID COUNTER,
  ProjektId LONG,
  Bezeichnung TEXT(255),
  Aktualisierung DATETIME
);
CREATE INDEX BKBNet_ProjektId ON BKBNet (ProjektId);

CREATE TABLE TabProRb (
  ID COUNTER,
  ProjektId LONG,
  Bezeichnung TEXT(255),
  Aktualisierung DATETIME
);
CREATE INDEX TabProRb_ProjektId ON TabProRb (ProjektId);

CREATE TABLE Kalkulation (
  ID COUNTER,
  ProjektId LONG,
  Bezeichnung TEXT(255),
  Aktualisierung DATETIME
);
CREATE INDEX Kalkulation_ProjektId ON Kalkulation (ProjektId);
