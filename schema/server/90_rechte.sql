-- What the working connections may do with the tables, now and with those
-- the owner makes later: rows only.  No TRUNCATE (row-level security does
-- not hold it), no REFERENCES, no TRIGGER.
GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA public TO vx_benutzer;
GRANT USAGE, SELECT ON ALL SEQUENCES IN SCHEMA public TO vx_benutzer;
ALTER DEFAULT PRIVILEGES IN SCHEMA public
  GRANT SELECT, INSERT, UPDATE, DELETE ON TABLES TO vx_benutzer;
ALTER DEFAULT PRIVILEGES IN SCHEMA public
  GRANT USAGE, SELECT ON SEQUENCES TO vx_benutzer;
