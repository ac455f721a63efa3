-- The two roles of a server database, made once per server:
--   vx_eigentuemer  owns the suite's tables and functions; nobody logs in
--                   as it, so no working connection may alter a table,
--                   switch its row-level security off or empty it whole.
--   vx_benutzer     what the suite's connections may do: read and write
--                   rows (SELECT, INSERT, UPDATE, DELETE), nothing more.
--                   The administrator grants it to the login roles of the
--                   suite's users.
-- Needs a connection that may create roles and owns the database (or a
-- superuser).  Nobody but the owner creates objects in the schema: no
-- function or view of a working connection can run with other rights.
DO $$
BEGIN
  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'vx_eigentuemer') THEN
    CREATE ROLE vx_eigentuemer NOLOGIN;
  END IF;
  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'vx_benutzer') THEN
    CREATE ROLE vx_benutzer NOLOGIN;
  END IF;
END $$;

REVOKE CREATE ON SCHEMA public FROM PUBLIC;
GRANT USAGE, CREATE ON SCHEMA public TO vx_eigentuemer;
GRANT USAGE ON SCHEMA public TO vx_benutzer;
