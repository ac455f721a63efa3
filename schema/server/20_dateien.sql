-- The project files that live as rows: a file is the set of rows that carry
-- its file number in the column vid, and vxdateien maps each file's path
-- to its number.
--
-- A connection works on one file by setting vx.vid to the file's number;
-- without it (unset or '') it works on the whole database.  The row-level
-- security of 30_zugriff.sql holds every statement to that file.

-- The number the current connection was bound to when it started
-- (options '-c vx.vid=N'), '' when it was not: RESET inside a block that
-- then fails, so that the failure undoes the RESET.
CREATE OR REPLACE FUNCTION vx_anfangs_vid() RETURNS text
  LANGUAGE plpgsql VOLATILE
  SET search_path = pg_catalog
AS $$
DECLARE
  anfang text;
BEGIN
  BEGIN
    RESET vx.vid;
    anfang := coalesce(current_setting('vx.vid', true), '');
    RAISE EXCEPTION USING ERRCODE = 'VX001';
  EXCEPTION WHEN SQLSTATE 'VX001' THEN
    NULL;
  END;
  RETURN anfang;
END
$$;

-- The number of the file the connection works on, NULL for the whole
-- database.  A connection bound to a file when it started may not leave it:
-- once vx.vid differs from its starting value, every statement on a file's
-- table fails.
CREATE OR REPLACE FUNCTION vx_datei() RETURNS integer
  LANGUAGE plpgsql VOLATILE
  SET search_path = pg_catalog
AS $$
DECLARE
  jetzt text := coalesce(current_setting('vx.vid', true), '');
  anfang text := public.vx_anfangs_vid();
BEGIN
  IF anfang <> '' AND jetzt <> anfang THEN
    RAISE EXCEPTION 'Die Verbindung ist an die Datei % gebunden', anfang
      USING ERRCODE = 'insufficient_privilege';
  END IF;
  RETURN nullif(jetzt, '')::integer;
END
$$;

-- The table of files.  Paths are the suite's Windows-form paths as given;
-- Windows does not tell case apart, so neither does the lookup.
CREATE TABLE IF NOT EXISTS vxdateien (
  vid integer GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  pfad text NOT NULL
);
CREATE UNIQUE INDEX IF NOT EXISTS vxdateien_pfad ON vxdateien (lower(pfad));

-- The tables of the kinds of project file.  Only the file number and the
-- measurement tables' kind markers are the library's; the suite's
-- programs add the columns of their data.  A row written through a file's
-- connection gets that file's number without naming it; rows written on
-- the whole database belong to no file (0).
DO $$
DECLARE
  t text;
BEGIN
  FOREACH t IN ARRAY ARRAY[
      -- LV
      'abschlag', 'abschlagzus', 'aufmassblatt', 'bieter', 'lv', 'lv_preisteile', 'notiz',
      'preis', 'preisrp', 'rahmenvertrag', 'tabmasformel', 'tabmashead', 'tabmasinfo',
      'tabmassen', 'zeitdoku',
      -- LB
      'texte', 'preisnamen', 'preise', 'lbinfo', 'lb_preisteile', 'einfuegefelder',
      -- OB
      'tblabz', 'tblaufadr', 'tblauftrag', 'tblbank', 'tblbelast', 'tblbtaks', 'tblbtdin06',
      'tblbtdin81', 'tblbtdin93', 'tblbtdin18', 'tblbtlb', 'tblbtzahlaks', 'tblbtzahldin06',
      'tblbtzahldin18', 'tblbtzahldin81', 'tblbtzahldin93', 'tblbtzahllb', 'tbleinbehalte',
      'tblktauf', 'tblleistmeld', 'tbllimit', 'tblnachtrag', 'tblquickheader', 'tblrechweg',
      'tblzahlaktiv', 'tblzahlung', 'tblzahlungkt', 'tblzusatzkosten',
      -- RB
      'rb', 'rbfl', 'rblbs', 'rbpos',
      -- EK
      'elprj_header', 'kalk_ele',
      -- KS
      'bkbnetdetail', 'bkbnetkenngroessen',
      -- KO, AB
      'nachaks', 'nachaks_flaechen', 'nachaks_original', 'nachdin06', 'nachdin06_flaechen',
      'nachdin06_original', 'nachdin81', 'nachdin81_flaechen', 'nachdin81_original',
      'nachdin93', 'nachdin93_flaechen', 'nachdin93_original', 'nachlb', 'nachlb_flaechen',
      'nachlb_original',
      -- LBINHALT, ELKAT
      'untertitel', 'lbtabelle', 'cad_verweis', 'ele_hierarchie', 'ele_inhalte',
      'elkat_elemente', 'elkat_header', 'lb_bezeichnungen'] LOOP
    EXECUTE format('CREATE TABLE IF NOT EXISTS %I (vid integer)', t);
  END LOOP;
END $$;

ALTER TABLE tabmassen ADD COLUMN IF NOT EXISTS KennVon varchar(20);
ALTER TABLE tabmashead ADD COLUMN IF NOT EXISTS KennVon varchar(20);
ALTER TABLE aufmassblatt ADD COLUMN IF NOT EXISTS DBExtension varchar(10);
ALTER TABLE tabmasinfo ADD COLUMN IF NOT EXISTS DBExtension varchar(10);

-- The tables an LV or LB set saves: those of its kind of file.
INSERT INTO SavTables (Kennung, TabName)
  SELECT k, t FROM (VALUES
    ('LV', 'Abschlag'), ('LV', 'AbschlagZus'), ('LV', 'AufmassBlatt'), ('LV', 'Bieter'),
    ('LV', 'LV'), ('LV', 'LV_Preisteile'), ('LV', 'Notiz'), ('LV', 'Preis'), ('LV', 'PreisRP'),
    ('LV', 'Rahmenvertrag'), ('LV', 'TabMasFormel'), ('LV', 'TabMasHead'),
    ('LV', 'TabMasInfo'), ('LV', 'TabMassen'), ('LV', 'ZeitDoku'),
    ('LB', 'Texte'), ('LB', 'PreisNamen'), ('LB', 'Preise'), ('LB', 'LBInfo'),
    ('LB', 'LB_Preisteile'), ('LB', 'einfuegefelder')) AS s (k, t)
  ON CONFLICT DO NOTHING;
