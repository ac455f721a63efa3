-- The user database USER.VX3DB, empty: users, groups, and the rights that
-- groups hold on data objects and program modules.
--
-- Rights are always a group's: every user has a single-user group
-- (Einzelgruppe = True) that stands for the user alone, and may belong to
-- ordinary groups as well.

-- Users.  BenutzerArt 1 marks an administrator, 2 a user who may read
-- everything.  The password is kept only as a hash: a yescrypt hash text
-- (salt included), or in the older form a SHA-256 digest (hex) of
-- PasswortSalz followed by the password, replaced at the next login.
-- Fehlversuche counts the wrong passwords since the last login; each one
-- makes the next attempt wait longer.  A locked user (Gesperrt) never logs
-- in and holds no rights.
CREATE TABLE [User] (
  Id COUNTER,
  Name TEXT(50) NOT NULL,
  PasswortSalz TEXT(32),
  PasswortHash TEXT(255),
  BenutzerArt SHORT DEFAULT 0,
  Gesperrt YESNO,
  Fehlversuche LONG DEFAULT 0
);
CREATE UNIQUE INDEX User_Name ON [User] (Name);

CREATE TABLE BenutzerGrp (
  Id COUNTER,
  Name TEXT(50),
  Einzelgruppe YESNO
);

CREATE TABLE LNK_User_BenutzerGrp (
  UserId LONG NOT NULL,
  BenutzerGrpId LONG NOT NULL
);
CREATE INDEX LNK_User_BenutzerGrp_UserId ON LNK_User_BenutzerGrp (UserId);
CREATE INDEX LNK_User_BenutzerGrp_BenutzerGrpId
  ON LNK_User_BenutzerGrp (BenutzerGrpId);

-- The kinds of data object rights can be given on.  While this table holds
-- no row, the user administration is switched on.
CREATE TABLE RechtDatei (
  Id COUNTER,
  Typ TEXT(2),
  Bezeichnung TEXT(100)
);

-- Rights of a group on one data object: Typ is its two-letter type ("PR" a
-- project, "ST" a structure node, a file type), Kuerzel its key within the
-- type (the project number, the node id, the file key).
CREATE TABLE LNK_BenutzerGrp_RechtDatei (
  Id COUNTER,
  Typ TEXT(2),
  Kuerzel TEXT(255),
  BenutzerGrpId LONG,
  Lesen YESNO,
  Schreiben YESNO,
  Besitzer YESNO
);
CREATE INDEX LNK_BenutzerGrp_RechtDatei_Objekt
  ON LNK_BenutzerGrp_RechtDatei (Typ, Kuerzel);
CREATE INDEX LNK_BenutzerGrp_RechtDatei_BenutzerGrpId
  ON LNK_BenutzerGrp_RechtDatei (BenutzerGrpId);

-- Rights on program modules ("PROJ_NEW", "UV_START", "LB_EDIT", ...).
CREATE TABLE RechtModul (
  Id COUNTER,
  Kuerzel TEXT(50),
  Bezeichnung TEXT(255)
);
CREATE UNIQUE INDEX RechtModul_Kuerzel ON RechtModul (Kuerzel);

CREATE TABLE LNK_BenutzerGrp_RechtModul (
  RechtModulId LONG NOT NULL,
  BenutzerGrpId LONG NOT NULL
);
CREATE INDEX LNK_BenutzerGrp_RechtModul_RechtModulId
  ON LNK_BenutzerGrp_RechtModul (RechtModulId);
CREATE INDEX LNK_BenutzerGrp_RechtModul_BenutzerGrpId
  ON LNK_BenutzerGrp_RechtModul (BenutzerGrpId);

-- Whether a new data object inherits the rights of the one above it: the
-- first row decides.
CREATE TABLE Vererbung (
  IstAn YESNO
);
INSERT INTO Vererbung (IstAn) VALUES (False);
