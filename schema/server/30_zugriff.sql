-- Every table with a file number: its number filled in from the connection,
-- never empty, found by index, and row-level security that holds each
-- statement to the connection's file (forced for the tables' owner too).
-- Runs over all such tables, so that tables the suite's programs added
-- since are covered when the script runs again.
--
-- The policy compares vid with a range, so that the index serves both a
-- file (one number) and the whole database (every number).  vx_datei() is
-- evaluated once per statement.

-- The saved sets: one table per saved table, its columns and a set name,
-- made for the registered tables (before the loop below, so that it
-- covers them too).
DO $$
DECLARE
  s record;
BEGIN
  FOR s IN SELECT Kennung, TabName FROM SavTables LOOP
    IF to_regclass(format('%I', lower(s.TabName))) IS NOT NULL THEN
      EXECUTE format('CREATE TABLE IF NOT EXISTS %I (LIKE %I INCLUDING DEFAULTS INCLUDING COMMENTS)',
                     lower('sav' || s.Kennung || '__' || s.TabName), lower(s.TabName));
      EXECUTE format('ALTER TABLE %I ADD COLUMN IF NOT EXISTS SicherungsName varchar(255)',
                     lower('sav' || s.Kennung || '__' || s.TabName));
    END IF;
  END LOOP;
END $$;

DO $$
DECLARE
  t record;
  grenzen text := 'vid BETWEEN coalesce((SELECT public.vx_datei()), -2147483648) '
                  'AND coalesce((SELECT public.vx_datei()), 2147483647)';
BEGIN
  FOR t IN SELECT c.relname, a.attidentity
             FROM pg_class c
             JOIN pg_namespace n ON n.oid = c.relnamespace
             JOIN pg_attribute a ON a.attrelid = c.oid
            WHERE n.nspname = 'public' AND c.relkind IN ('r', 'p')
              AND a.attname = 'vid' AND NOT a.attisdropped LOOP
    IF t.attidentity = '' THEN
      EXECUTE format('UPDATE %I SET vid = 0 WHERE vid IS NULL', t.relname);
      EXECUTE format('ALTER TABLE %I ALTER COLUMN vid SET DEFAULT '
                     'coalesce(nullif(current_setting(''vx.vid'', true), '''')::integer, 0)',
                     t.relname);
      EXECUTE format('ALTER TABLE %I ALTER COLUMN vid SET NOT NULL', t.relname);
      EXECUTE format('CREATE INDEX IF NOT EXISTS %I ON %I (vid)', t.relname || '_vid', t.relname);
    END IF;
    EXECUTE format('ALTER TABLE %I ENABLE ROW LEVEL SECURITY', t.relname);
    EXECUTE format('ALTER TABLE %I FORCE ROW LEVEL SECURITY', t.relname);
    IF NOT EXISTS (SELECT FROM pg_policies
                    WHERE schemaname = 'public' AND tablename = t.relname
                      AND policyname = 'vx_datei') THEN
      EXECUTE format('CREATE POLICY vx_datei ON %I USING (%s) WITH CHECK (%s)',
                     t.relname, grenzen, grenzen);
    END IF;
  END LOOP;
END $$;
