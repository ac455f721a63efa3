#include "engine/pg_session.h"

#include <algorithm>
#include <cstring>

#include "engine/connection.h"
#include "engine/dao_errors.h"
#include "platform/text.h"
#include "vx_taluvek/error.h"

namespace vx::dao {

namespace {

// What every link runs once it is connected.  The names live in the
// session's own temporary schema: nothing is written into the database,
// and statements reach them only qualified, as the translation writes them.
constexpr const char* kSetUp = R"sql(
SET DateStyle = 'ISO, YMD';
SET IntervalStyle = 'postgres';
SET lock_timeout = '5000ms';
CREATE COLLATION pg_temp.vx_nocase
  (provider = icu, locale = 'und-u-ks-level2', deterministic = false);
CREATE FUNCTION pg_temp.ucase(anyelement) RETURNS text LANGUAGE sql IMMUTABLE
  AS $$SELECT upper(CAST($1 AS text) COLLATE "und-x-icu")$$;
CREATE FUNCTION pg_temp.lcase(anyelement) RETURNS text LANGUAGE sql IMMUTABLE
  AS $$SELECT lower(CAST($1 AS text) COLLATE "und-x-icu")$$;
CREATE FUNCTION pg_temp.len(anyelement) RETURNS integer LANGUAGE sql IMMUTABLE
  AS $$SELECT length(CAST($1 AS text))$$;
CREATE FUNCTION pg_temp.mid(anyelement, integer) RETURNS text LANGUAGE sql
  IMMUTABLE AS $$SELECT substr(CAST($1 AS text), $2)$$;
CREATE FUNCTION pg_temp.mid(anyelement, integer, integer) RETURNS text
  LANGUAGE sql IMMUTABLE AS $$SELECT substr(CAST($1 AS text), $2, $3)$$;
CREATE FUNCTION pg_temp.vx_left(anyelement, integer) RETURNS text
  LANGUAGE sql IMMUTABLE AS $$SELECT left(CAST($1 AS text), $2)$$;
CREATE FUNCTION pg_temp.vx_right(anyelement, integer) RETURNS text
  LANGUAGE sql IMMUTABLE AS $$SELECT right(CAST($1 AS text), $2)$$;
CREATE FUNCTION pg_temp.nz(anyelement) RETURNS text LANGUAGE sql IMMUTABLE
  AS $$SELECT coalesce(CAST($1 AS text), '')$$;
CREATE FUNCTION pg_temp.nz(anycompatible, anycompatible) RETURNS anycompatible
  LANGUAGE sql IMMUTABLE AS $$SELECT coalesce($1, $2)$$;
CREATE FUNCTION pg_temp.iif(boolean, anycompatible, anycompatible)
  RETURNS anycompatible LANGUAGE sql IMMUTABLE
  AS $$SELECT CASE WHEN $1 THEN $2 ELSE $3 END$$;
CREATE FUNCTION pg_temp.iif(double precision, anycompatible, anycompatible)
  RETURNS anycompatible LANGUAGE sql IMMUTABLE
  AS $$SELECT CASE WHEN $1 <> 0 THEN $2 ELSE $3 END$$;
CREATE FUNCTION pg_temp.year(timestamp) RETURNS integer LANGUAGE sql IMMUTABLE
  AS $$SELECT CAST(extract(year FROM $1) AS integer)$$;
CREATE FUNCTION pg_temp.month(timestamp) RETURNS integer LANGUAGE sql IMMUTABLE
  AS $$SELECT CAST(extract(month FROM $1) AS integer)$$;
CREATE FUNCTION pg_temp.day(timestamp) RETURNS integer LANGUAGE sql IMMUTABLE
  AS $$SELECT CAST(extract(day FROM $1) AS integer)$$;
CREATE FUNCTION pg_temp.vx_sort(text) RETURNS bytea LANGUAGE sql IMMUTABLE
  AS $$SELECT convert_to(replace(translate(lower($1 COLLATE "und-x-icu"),
                                           'äöü', 'aou'), 'ß', 'ss')
                         || chr(1) || lower($1 COLLATE "und-x-icu"), 'UTF8')$$;
CREATE FUNCTION pg_temp.vx_sort(varchar) RETURNS bytea LANGUAGE sql IMMUTABLE
  AS $$SELECT pg_temp.vx_sort(CAST($1 AS text))$$;
CREATE FUNCTION pg_temp.vx_sort(anyelement) RETURNS anyelement
  LANGUAGE sql IMMUTABLE AS $$SELECT $1$$;
CREATE FUNCTION pg_temp.vx_concat(anyelement, anycompatible) RETURNS text
  LANGUAGE sql STABLE
  AS $$SELECT CASE WHEN $1 IS NULL AND $2 IS NULL THEN NULL
                   ELSE concat($1, $2) END$$;
CREATE FUNCTION pg_temp.vx_intdiv(double precision, double precision)
  RETURNS bigint LANGUAGE sql IMMUTABLE
  AS $$SELECT CASE WHEN round($2) = 0 THEN NULL
                   ELSE CAST(trunc(round($1) / round($2)) AS bigint) END$$;
)sql";

// The name in the first pair of quotes of a server message.
std::string QuotedName(const char* message) {
  if (message == nullptr) return "";
  const char* open = std::strchr(message, '"');
  if (open == nullptr) return "";
  const char* close = std::strchr(open + 1, '"');
  return close == nullptr ? "" : std::string(open + 1, close);
}

// The connection text without anything that looks like a password, for
// error descriptions.
std::string ServerOf(const std::string& conninfo, PGconn* conn) {
  if (conn != nullptr && PQdb(conn) != nullptr && PQdb(conn)[0] != '\0') {
    return PQdb(conn);
  }
  return conninfo.find("password") == std::string::npos ? conninfo : "";
}

}  // namespace

void RaisePgError(PGconn* conn, const PGresult* result, std::string_view sql) {
  if (PQstatus(conn) != CONNECTION_OK) {
    RaiseDao(kErrConnectionFailed, {PQdb(conn) == nullptr ? "" : PQdb(conn)});
  }
  const char* state =
      result == nullptr ? nullptr : PQresultErrorField(result, PG_DIAG_SQLSTATE);
  const std::string code = state == nullptr ? "" : state;
  const char* primary =
      result == nullptr ? nullptr : PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
  const char* column =
      result == nullptr ? nullptr : PQresultErrorField(result, PG_DIAG_COLUMN_NAME);
  if (code == "23505") RaiseDao(kErrDuplicateValue);
  if (code == "42P01") RaiseDao(kErrTableNotFound, {QuotedName(primary)});
  if (code == "42703") RaiseDao(kErrTooFewParameters, {"1"});
  if (code == "42883") RaiseDao(kErrUndefinedFunction, {QuotedName(primary)});
  if (code == "42601") RaiseDao(kErrSyntax, {sql});
  if (code == "42P07") RaiseDao(kErrTableExists, {QuotedName(primary)});
  if (code == "55P03" || code == "40P01" || code == "40001" || code == "57014") {
    RaiseDao(kErrLocked);
  }
  if (code == "42501" || code == "25006") RaiseDao(kErrReadOnly);
  if (code == "23502") {
    RaiseDao(kErrRequiredField, {column == nullptr ? "" : column});
  }
  if (code == "23503") RaiseDao(kErrRelatedRecordRequired, {""});
  if (code == "23514") {
    const std::string rule = primary == nullptr ? "" : primary;
    RaiseDao(kErrValidationRule, {rule, column == nullptr ? "" : column});
  }
  if (code == "22001") RaiseDao(kErrFieldTooSmall);
  if (code == "22003") RaiseDao(kErrNumericOverflow);
  if (code.rfind("22", 0) == 0) RaiseDao(kErrConversion);
  if (code.rfind("08", 0) == 0 || code == "57P01") {
    RaiseDao(kErrConnectionFailed, {PQdb(conn) == nullptr ? "" : PQdb(conn)});
  }
  const std::string message =
      primary != nullptr ? primary : PQerrorMessage(conn);
  RaiseDao(kErrReserved, {code + ": " + message});
}

// ---- PgLink ----

PgLink::PgLink(const std::string& conninfo, const std::string& scope) {
  // The connection text may be a URI: expanded as the database name, with
  // the binding to the file after it.
  const std::string options = "-c vx.vid=" + scope;
  const char* keywords[] = {"dbname", scope.empty() ? nullptr : "options", nullptr};
  const char* values[] = {conninfo.c_str(), options.c_str(), nullptr};
  conn_ = PQconnectdbParams(keywords, values, 1);
  if (PQstatus(conn_) != CONNECTION_OK) {
    const std::string message = PQerrorMessage(conn_);
    const std::string server = ServerOf(conninfo, conn_);
    const std::string database = PQdb(conn_) == nullptr ? "" : PQdb(conn_);
    PQfinish(conn_);
    conn_ = nullptr;
    // The server's refusal of an unknown database, in either language the
    // suite's servers speak.
    if (!database.empty() &&
        (message.find("database \"" + database + "\" does not exist") !=
             std::string::npos ||
         message.find("Datenbank »" + database + "« existiert nicht") !=
             std::string::npos)) {
      RaiseDao(kErrFileNotFound, {server});
    }
    RaiseDao(kErrConnectionFailed, {server});
  }
  PgResult result(PQexec(conn_, kSetUp));
  if (PQresultStatus(result.get()) != PGRES_COMMAND_OK) {
    try {
      RaisePgError(conn_, result.get(), "");
    } catch (...) {
      PQfinish(conn_);
      conn_ = nullptr;
      throw;
    }
  }
}

PgLink::~PgLink() {
  if (conn_ != nullptr) PQfinish(conn_);
}

namespace {

// libpq's arrays for `params`.
struct ParamArrays {
  explicit ParamArrays(const std::vector<PgParam>& params) {
    values.reserve(params.size());
    for (const PgParam& p : params) {
      values.push_back(p.null ? nullptr : p.value.c_str());
      lengths.push_back(static_cast<int>(p.value.size()));
      formats.push_back(p.binary ? 1 : 0);
    }
  }
  int count() const { return static_cast<int>(values.size()); }
  std::vector<const char*> values;
  std::vector<int> lengths;
  std::vector<int> formats;
};

}  // namespace

PgResult PgLink::Run(std::string_view sql, const std::vector<PgParam>& params) {
  const std::string text(sql);
  const ParamArrays arrays(params);
  PgResult result(PQexecParams(conn_, text.c_str(), arrays.count(), nullptr,
                               arrays.values.data(), arrays.lengths.data(),
                               arrays.formats.data(), 0));
  const ExecStatusType status = PQresultStatus(result.get());
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    RaisePgError(conn_, result.get(), sql);
  }
  return result;
}

void PgLink::Command(const char* sql) {
  PgResult result(PQexec(conn_, sql));
  if (PQresultStatus(result.get()) != PGRES_COMMAND_OK) {
    RaisePgError(conn_, result.get(), sql);
  }
}

std::shared_ptr<const PgDescription>* PgLink::Send(
    std::string_view sql, const std::vector<PgParam>& params,
    const std::function<void(const PGresult*)>& prepared) {
  // Prepared statements kept per link; past this many they are dropped.
  constexpr size_t kPreparedLimit = 256;
  auto found = prepared_.find(sql);
  if (found == prepared_.end()) {
    if (prepared_.size() >= kPreparedLimit) {
      Command("DEALLOCATE ALL");
      prepared_.clear();
    }
    const std::string text(sql);
    const std::string name = "vx" + std::to_string(++prepared_count_);
    PgResult made(PQprepare(conn_, name.c_str(), text.c_str(),
                            static_cast<int>(params.size()), nullptr));
    if (PQresultStatus(made.get()) != PGRES_COMMAND_OK) {
      RaisePgError(conn_, made.get(), sql);
    }
    found = prepared_.emplace(text, Prepared{name, nullptr}).first;
    if (prepared) {
      PgResult described(PQdescribePrepared(conn_, name.c_str()));
      if (PQresultStatus(described.get()) != PGRES_COMMAND_OK) {
        RaisePgError(conn_, described.get(), sql);
      }
      prepared(described.get());
    }
  }
  const ParamArrays arrays(params);
  if (PQsendQueryPrepared(conn_, found->second.name.c_str(), arrays.count(),
                          arrays.values.data(), arrays.lengths.data(),
                          arrays.formats.data(), 0) == 0 ||
      PQsetSingleRowMode(conn_) == 0) {
    RaisePgError(conn_, nullptr, sql);
  }
  return &found->second.description;
}

void PgLink::Unprepare(const std::string& sql) {
  auto found = prepared_.find(sql);
  if (found == prepared_.end()) return;
  PQclear(PQexec(conn_, ("DEALLOCATE " + found->second.name).c_str()));
  prepared_.erase(found);
}

// ---- PgSession ----

std::shared_ptr<PgSession> PgSession::ForThread(const std::string& conninfo,
                                                const std::string& scope) {
  constexpr size_t kKeptScopes = 4;
  thread_local std::map<std::pair<std::string, std::string>,
                        std::weak_ptr<PgSession>> sessions;
  thread_local std::vector<std::shared_ptr<PgSession>> recent;
  std::weak_ptr<PgSession>& slot = sessions[{conninfo, scope}];
  std::shared_ptr<PgSession> session = slot.lock();
  if (!session) {
    session = std::make_shared<PgSession>(conninfo, scope);
    slot = session;
  }
  auto kept = std::find(recent.begin(), recent.end(), session);
  if (kept != recent.end()) recent.erase(kept);
  recent.insert(recent.begin(), session);
  if (recent.size() > kKeptScopes) recent.pop_back();
  return session;
}

PgLink& PgSession::Acquire(const void* owner) {
  // A link the server dropped (a restart, a network failure) is given up
  // once nothing uses it, so that the next statement connects anew.
  std::erase_if(links_, [](const std::unique_ptr<PgLink>& link) {
    return PQstatus(link->get()) != CONNECTION_OK && link->stream == nullptr &&
           link->transaction == nullptr;
  });
  for (const std::unique_ptr<PgLink>& link : links_) {
    if (link->transaction == owner && owner != nullptr) {
      if (link->stream != nullptr) link->stream->Drain();
      return *link;
    }
  }
  for (const std::unique_ptr<PgLink>& link : links_) {
    if (link->stream == nullptr && link->transaction == nullptr) return *link;
  }
  links_.push_back(std::make_unique<PgLink>(conninfo_, scope_));
  return *links_.back();
}

const PgColumn* PgSession::Known(Oid table, int column) const {
  auto found = tables_.find(table);
  if (found == tables_.end()) return nullptr;
  auto col = found->second.find(column);
  return col == found->second.end() ? nullptr : &col->second;
}

const PgColumn* PgSession::Column(PgLink& free_link, Oid table, int column) {
  if (const PgColumn* known = Known(table, column)) return known;
  PgParam oid;
  oid.value = std::to_string(table);
  // A comment that is the column's name in other letters is the spelling
  // of the table's definition (the server keeps names in small letters).
  PgResult result = free_link.Run(
      "SELECT a.attnum, a.attname, t.typname = 'vx_janein', "
      "coalesce(pg_catalog.col_description(a.attrelid, a.attnum), '') "
      "FROM pg_catalog.pg_attribute a "
      "JOIN pg_catalog.pg_type t ON t.oid = a.atttypid "
      "WHERE a.attrelid = $1 AND a.attnum > 0 AND NOT a.attisdropped",
      {oid});
  std::map<int, PgColumn>& columns = tables_[table];
  columns.clear();
  ++catalogue_readings_;
  for (int r = 0; r < PQntuples(result.get()); ++r) {
    PgColumn& col = columns[std::atoi(PQgetvalue(result.get(), r, 0))];
    col.name = PQgetvalue(result.get(), r, 1);
    col.yes_no = PQgetvalue(result.get(), r, 2)[0] == 't';
    const std::string comment = PQgetvalue(result.get(), r, 3);
    col.spelling = LCase(comment) == col.name ? comment : col.name;
  }
  return Known(table, column);
}

void PgSession::Learn(PgLink& free_link, const PGresult* description) {
  for (int c = 0; c < PQnfields(description); ++c) {
    const Oid table = PQftable(description, c);
    const int column = PQftablecol(description, c);
    if (table != InvalidOid && column > 0) Column(free_link, table, column);
  }
}

}  // namespace vx::dao
