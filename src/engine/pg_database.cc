#include "engine/pg_database.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "engine/dao_errors.h"
#include "engine/database.h"
#include "engine/database_backend.h"
#include "engine/pg_session.h"
#include "engine/recordset.h"
#include "engine/recordset_state.h"
#include "engine/sql_dialect.h"
#include "engine/sql_lexer.h"
#include "engine/translation_cache.h"
#include "platform/text.h"
#include "vx_taluvek/error.h"

namespace vx::dao {

// The rows of a prepared statement as a recordset sees them.
struct PgDescription {
  std::shared_ptr<const ColumnSet> columns;  // the visible ones
  std::vector<Oid> oids;     // of every column, the hidden ones included
  std::vector<int> attnums;  // of the table's columns, 0 for expressions
  Oid table_oid = InvalidOid;  // of the writable columns
  bool sent_updatable = false;  // made for a dynaset's statement
  uint64_t catalogue_readings = 0;  // the session's, when it was made
};

namespace {

// Type numbers of the server's types.
enum : Oid {
  kOidBool = 16,
  kOidBytea = 17,
  kOidInt8 = 20,
  kOidInt2 = 21,
  kOidInt4 = 23,
  kOidText = 25,
  kOidOid = 26,
  kOidFloat4 = 700,
  kOidFloat8 = 701,
  kOidBpchar = 1042,
  kOidVarchar = 1043,
  kOidDate = 1082,
  kOidTime = 1083,
  kOidTimestamp = 1114,
  kOidTimestampTz = 1184,
  kOidNumeric = 1700,
  kOidUuid = 2950,
};

// The hidden columns of a dynaset: the row's position and version.
constexpr int kHiddenColumns = 2;

struct PgDatabaseState;

// The DAO type of a column of server type `oid` with modifier `mod`;
// nothing for a type the engine has no code for.
std::optional<ColumnType> TypeOfOid(Oid oid, int mod) {
  ColumnType type;
  switch (oid) {
    case kOidBool: type.type = kTypeBoolean; type.size = 1; break;
    case kOidInt2: type.type = kTypeInteger; type.size = 2; break;
    case kOidInt4:
    case kOidInt8:
    case kOidOid: type.type = kTypeLong; type.size = 4; break;
    case kOidFloat4: type.type = kTypeSingle; type.size = 4; break;
    case kOidFloat8: type.type = kTypeDouble; type.size = 8; break;
    case kOidNumeric:
      // numeric(19,4) is the dialect's CURRENCY.
      if (mod >= 4 && ((mod - 4) & 0xffff) == 4) {
        type.type = kTypeCurrency;
      } else {
        type.type = kTypeDouble;
      }
      type.size = 8;
      break;
    case kOidText: type.type = kTypeMemo; type.size = 0; break;
    case kOidVarchar:
    case kOidBpchar:
      type.type = kTypeText;
      type.size = mod > 4 ? mod - 4 : 255;
      break;
    case kOidDate:
    case kOidTime:
    case kOidTimestamp:
    case kOidTimestampTz: type.type = kTypeDate; type.size = 8; break;
    case kOidBytea: type.type = kTypeLongBinary; type.size = 0; break;
    case kOidUuid: type.type = kTypeGuid; type.size = 16; break;
    default: return std::nullopt;
  }
  return type;
}

// The stored form of the server's text `value` of type `oid`.
void ReadValue(Oid oid, const char* value, int length, StoredValue* out) {
  out->bytes.clear();
  switch (oid) {
    case kOidBool:
      out->kind = StoredValue::Kind::kInteger;
      out->integer = value[0] == 't' ? -1 : 0;
      return;
    case kOidInt2:
    case kOidInt4:
    case kOidInt8:
    case kOidOid:
      out->kind = StoredValue::Kind::kInteger;
      out->integer = 0;
      std::from_chars(value, value + length, out->integer);
      return;
    case kOidFloat4:
    case kOidFloat8:
    case kOidNumeric:
      // The server's texts of numbers ("NaN" and "Infinity" among them)
      // in the C locale's form, whatever the process's locale.
      out->kind = StoredValue::Kind::kReal;
      out->real = 0;
      std::from_chars(value, value + length, out->real);
      return;
    case kOidTimestamp:
    case kOidTimestampTz:
    case kOidDate: {
      // "2024-03-05 14:00:00[.fraction][+zone]" or "2024-03-05": the
      // stored form of a date is "YYYY-MM-DD hh:mm:ss".
      out->kind = StoredValue::Kind::kText;
      std::string_view text(value, static_cast<size_t>(length));
      if (text.size() == 10) {
        out->bytes.assign(text);
        out->bytes += " 00:00:00";
      } else {
        out->bytes.assign(text.substr(0, std::min<size_t>(text.size(), 19)));
      }
      return;
    }
    case kOidTime:
      out->kind = StoredValue::Kind::kText;
      out->bytes = "1899-12-30 ";
      out->bytes.append(value, std::min(length, 8));
      return;
    case kOidBytea: {
      out->kind = StoredValue::Kind::kBlob;
      size_t size = 0;
      unsigned char* bytes =
          PQunescapeBytea(reinterpret_cast<const unsigned char*>(value), &size);
      if (bytes != nullptr) {
        out->bytes.assign(reinterpret_cast<const char*>(bytes), size);
        PQfreemem(bytes);
      }
      return;
    }
    default:
      out->kind = StoredValue::Kind::kText;
      out->bytes.assign(value, static_cast<size_t>(length));
      return;
  }
}

// The shortest text of `real` that reads back as the same number, in the
// server's form whatever the process's locale ("1250.5", never "1250,5").
std::string RealText(double real) {
  char buffer[32];
  const std::to_chars_result end = std::to_chars(buffer, buffer + sizeof buffer, real);
  return std::string(buffer, end.ptr);
}

PgParam ParamOf(const Parameter& parameter) {
  PgParam param;
  switch (parameter.kind) {
    case Parameter::Kind::kInteger:
      param.value = std::to_string(parameter.integer);
      break;
    case Parameter::Kind::kReal:
      param.value = RealText(parameter.real);
      break;
    case Parameter::Kind::kText:
      param.value = parameter.text;
      break;
  }
  return param;
}

std::vector<PgParam> ParamsOf(const std::vector<Parameter>& parameters) {
  std::vector<PgParam> params;
  params.reserve(parameters.size());
  for (const Parameter& p : parameters) params.push_back(ParamOf(p));
  return params;
}

// A value of the row store or the edit buffer as a parameter for a column
// of server type `oid`.
PgParam ParamOfStored(Oid oid, StoredValue::Kind kind, int64_t integer,
                      double real, std::string_view bytes) {
  PgParam param;
  switch (kind) {
    case StoredValue::Kind::kNull:
      param.null = true;
      break;
    case StoredValue::Kind::kInteger:
      param.value = oid == kOidBool ? (integer != 0 ? "true" : "false")
                                    : std::to_string(integer);
      break;
    case StoredValue::Kind::kReal:
      param.value = RealText(real);
      break;
    case StoredValue::Kind::kText:
      param.value.assign(bytes);
      break;
    case StoredValue::Kind::kBlob:
      param.binary = true;
      param.value.assign(bytes);
      break;
  }
  return param;
}

// How the statement `sql` spells its names, by their small-letter form:
// the server gives names in small letters.
std::map<std::string, std::string> SpellingsOf(std::string_view sql) {
  std::map<std::string, std::string> spellings;
  try {
    for (const Token& t : Tokenize(sql)) {
      if (t.kind == TokenKind::kWord) {
        spellings.emplace(LCase(t.text), std::string(t.text));
      } else if (t.kind == TokenKind::kName) {
        const std::string name = Unquote(t);
        spellings.emplace(LCase(name), name);
      }
    }
  } catch (const Error&) {
    // A statement for the server as it is: its names as the server gives them.
  }
  return spellings;
}

// Whether a statement for the server as it is may run through an object
// that sees one file's rows: it must pass the checks of the translation
// for the server and change no table's definition.
void CheckScopedStatement(std::string_view sql) {
  const TranslatedStatement checked = TranslateKept(sql, Target::kServer);
  if (checked.kind == StatementKind::kDefinition) RaiseDao(kErrReadOnly);
}

// The database's type of yes/no columns, made by the first definition that
// needs it (the server's schema scripts make it too).  Two sessions that
// make it at once: one wins, the other finds it.
constexpr const char* kMakeYesNoType = R"sql(
DO $$BEGIN
  IF to_regtype('vx_janein') IS NULL THEN
    CREATE DOMAIN vx_janein AS smallint CHECK (VALUE IN (-1, 0));
  END IF;
EXCEPTION WHEN duplicate_object OR unique_violation THEN NULL;
END$$)sql";

// The table that the definition `sql` (CREATE TABLE or ALTER TABLE) makes
// or changes, as written; "" for any other statement.
std::string DefinedTable(std::string_view sql) {
  const std::vector<Token> tokens = Tokenize(sql);
  if (tokens.size() < 3 || !tokens[1].IsWord("TABLE") ||
      !(tokens[0].IsWord("CREATE") || tokens[0].IsWord("ALTER"))) {
    return "";
  }
  if (tokens[2].kind == TokenKind::kWord) return std::string(tokens[2].text);
  if (tokens[2].kind == TokenKind::kName) return Unquote(tokens[2]);
  return "";
}

// Keeps the spelling of the columns that the definition `sql` names, as
// comments on the columns, so that recordsets give the names as the
// definition wrote them (the server keeps them in small letters).
void KeepSpellings(PgLink& link, std::string_view sql) {
  const std::string table = DefinedTable(sql);
  if (table.empty()) return;
  const std::map<std::string, std::string> spellings = SpellingsOf(sql);
  PgParam name;
  name.value = QuoteName(LCase(table));
  PgResult columns = link.Run(
      "SELECT attname FROM pg_catalog.pg_attribute WHERE attrelid = "
      "to_regclass($1) AND attnum > 0 AND NOT attisdropped",
      {name});
  std::string comments;
  for (int r = 0; r < PQntuples(columns.get()); ++r) {
    const std::string column = PQgetvalue(columns.get(), r, 0);
    auto spelled = spellings.find(column);
    if (spelled == spellings.end() || spelled->second == column) continue;
    char* literal = PQescapeLiteral(link.get(), spelled->second.c_str(),
                                    spelled->second.size());
    if (literal == nullptr) RaisePgError(link.get(), nullptr, sql);
    comments += "COMMENT ON COLUMN " + name.value + "." + QuoteName(column) +
                " IS " + literal + ";";
    PQfreemem(literal);
  }
  if (!comments.empty()) link.Command(comments.c_str());
}

// "SELECT * INTO T IN 'path' FROM T ...": the source file's rows of T that
// the statement selects, copied into the file at `path`.
struct CopyIntoFile {
  std::string table;
  std::string path;
  std::string select;  // "SELECT * FROM T ..."
};

std::optional<CopyIntoFile> ParseCopyIntoFile(std::string_view sql) {
  std::vector<Token> t;
  try {
    t = Tokenize(sql);
  } catch (const Error&) {
    return std::nullopt;  // the translation reports it
  }
  if (t.size() < 8 || !t[0].IsWord("SELECT") || !t[1].IsSymbol("*") || !t[2].IsWord("INTO") ||
      (t[3].kind != TokenKind::kWord && t[3].kind != TokenKind::kName) || !t[4].IsWord("IN") ||
      t[5].kind != TokenKind::kString || !t[6].IsWord("FROM")) {
    return std::nullopt;
  }
  CopyIntoFile copy;
  copy.table = t[3].kind == TokenKind::kName ? Unquote(t[3]) : std::string(t[3].text);
  copy.path = Unquote(t[5]);
  copy.select = "SELECT * " + std::string(sql.substr(t[6].offset));
  return copy;
}

struct PgRecordsetState;

struct PgDatabaseState {
  std::shared_ptr<PgSession> session;
  std::string conninfo;
  std::string name;
  std::string scope;  // "" for the whole database, else the file's number
  int32_t vid = 0;
  bool read_only = false;
  bool open = true;
  std::set<PgRecordsetState*> recordsets;

  void CheckOpen() const {
    if (!open) RaiseDao(kErrObjectInvalid);
  }
  // A link for a statement of this object.
  PgLink& Link() { return session->Acquire(this); }
};

struct PgRecordsetState final : RecordsetCursor, PgStream {
  ~PgRecordsetState() override {
    if (open) {
      try {
        Release();
      } catch (const Error&) {
        // Closing: the link's state is given up below.
      }
    }
  }

  void CheckOpen() const override {
    if (!open) RaiseDao(kErrObjectInvalid);
    database->CheckOpen();
  }

  bool ReadOnly() const override { return database->read_only; }

  void Drain() override {
    try {
      FetchUpTo(std::numeric_limits<size_t>::max());
    } catch (const Error& error) {
      pending = error;
    }
  }

  void FetchUpTo(size_t count) override {
    if (pending) {
      const Error error = *pending;
      pending.reset();
      throw error;
    }
    while (!finished && rows.rows() < count) {
      PgResult result(PQgetResult(link->get()));
      const ExecStatusType status = PQresultStatus(result.get());
      if (status == PGRES_SINGLE_TUPLE) {
        AppendRow(result.get(), 0);
        continue;
      }
      if (status == PGRES_TUPLES_OK && result) {
        EndStream();
        break;
      }
      EndStream();
      RaisePgError(link_conn, result.get(), sql);
    }
  }

  void Release() override {
    if (link != nullptr) {
      // Rows still coming: the server stops sending them, unless a
      // transaction runs on the link, which a cancel would end, or the
      // rest has come already (a short result comes whole), when a cancel
      // would only cost a connection to the server.
      if (link->transaction == nullptr && !EndsWithoutWaiting()) {
        if (PGcancel* cancel = PQgetCancel(link->get())) {
          char error[256];
          PQcancel(cancel, error, sizeof error);
          PQfreeCancel(cancel);
        }
      }
      EndStream();
    }
    open = false;
    database->recordsets.erase(this);
  }

  void Update() override;
  void LoadField(const std::string& field, int64_t size,
                 const std::function<size_t(char*, size_t)>& read) override;
  bool StreamField(const std::string& field,
                   const std::function<void(std::string_view)>& write) override;

  // Reads the rows that have come already; true when the statement's end
  // was among them, so that nothing more is coming.
  bool EndsWithoutWaiting() {
    PGconn* conn = link->get();
    if (PQconsumeInput(conn) == 0) return false;
    while (PQisBusy(conn) == 0) {
      PgResult result(PQgetResult(conn));
      if (!result || PQresultStatus(result.get()) != PGRES_SINGLE_TUPLE) {
        // The statement's last result: what follows is null.
        while (PGresult* rest = PQgetResult(conn)) PQclear(rest);
        return true;
      }
    }
    return false;
  }

  // Appends row `row` of `result`.
  void AppendRow(const PGresult* result, int row) {
    ReadRow(result, row);
    rows.Append(values);
  }

  void ReadRow(const PGresult* result, int row) {
    const size_t count = rows.columns();
    values.resize(count);
    for (size_t c = 0; c < count; ++c) {
      const int column = static_cast<int>(c);
      StoredValue& value = values[c];
      if (PQgetisnull(result, row, column)) {
        value.kind = StoredValue::Kind::kNull;
        value.bytes.clear();
        continue;
      }
      ReadValue(oids[c], PQgetvalue(result, row, column),
                PQgetlength(result, row, column), &value);
    }
  }

  // Reads what is left of the statement's results; the link is free.
  void EndStream() {
    finished = true;
    if (link == nullptr) return;
    while (PGresult* rest = PQgetResult(link->get())) PQclear(rest);
    link->stream = nullptr;
    link = nullptr;
  }

  std::shared_ptr<PgDatabaseState> database;
  PgLink* link = nullptr;  // while rows are coming
  PGconn* link_conn = nullptr;
  std::string sql;  // as sent, for error descriptions
  std::optional<Error> pending;  // a failure while another statement waited

  std::vector<Oid> oids;  // of every column, the hidden ones included
  std::vector<int> attnums;  // of the table's columns, 0 for expressions
  Oid table_oid = InvalidOid;
  std::optional<SingleTableSource> source;
  std::vector<Parameter> select_list_parameters;
  std::vector<StoredValue> values;  // a row being read

 private:
  void WriteRow(bool adding);
  // The server's name of the table column `field`, quoted.
  std::string ColumnOfTable(PgLink& on, const std::string& field);
  void CopyIntoUpload(PGconn* conn, int64_t size,
                      const std::function<size_t(char*, size_t)>& read);
};

// Bytes move between the client and a byte column in pieces of this size,
// so that a document is never held whole in the client's memory.
constexpr size_t kFieldPiece = size_t{1} << 20;
// The largest value a byte column holds.
constexpr int64_t kMaxFieldBytes = (int64_t{1} << 30) - 1;

std::string PgRecordsetState::ColumnOfTable(PgLink& on, const std::string& field) {
  for (int attnum : attnums) {
    if (attnum <= 0) continue;
    const PgColumn* column = database->session->Column(on, table_oid, attnum);
    if (column != nullptr && EqualsNoCase(column->name, field)) {
      return QuoteName(column->name);
    }
  }
  // Not read by the recordset: the server's spelling of unquoted names.
  return QuoteName(LCase(field));
}

void PgRecordsetState::CopyIntoUpload(PGconn* conn, int64_t size,
                                      const std::function<size_t(char*, size_t)>& read) {
  PgResult started(PQexec(conn, "COPY pg_temp.vx_upload FROM STDIN (FORMAT binary)"));
  if (PQresultStatus(started.get()) != PGRES_COPY_IN) {
    RaisePgError(conn, started.get(), "COPY");
  }
  auto put = [&](const char* data, size_t length) {
    if (PQputCopyData(conn, data, static_cast<int>(length)) != 1) {
      RaisePgError(conn, nullptr, "COPY");
    }
  };
  // The binary copy format: signature, flags, header extension; one row of
  // one field with its length; the end mark.
  std::string head("PGCOPY\n\377\r\n\0", 11);
  head.append(8, '\0');
  const auto length = static_cast<uint32_t>(size);
  head += std::string{'\0', '\1', static_cast<char>(length >> 24),
                      static_cast<char>(length >> 16), static_cast<char>(length >> 8),
                      static_cast<char>(length)};
  try {
    put(head.data(), head.size());
    std::vector<char> piece(kFieldPiece);
    for (int64_t left = size; left > 0;) {
      const size_t wanted = static_cast<size_t>(std::min<int64_t>(left, kFieldPiece));
      const size_t got = read(piece.data(), wanted);
      if (got == 0 || got > wanted) RaiseDao(kErrReserved, {"the document ended early"});
      put(piece.data(), got);
      left -= static_cast<int64_t>(got);
    }
    put("\377\377", 2);
  } catch (...) {
    PQputCopyEnd(conn, "aborted");
    while (PGresult* rest = PQgetResult(conn)) PQclear(rest);
    throw;
  }
  if (PQputCopyEnd(conn, nullptr) != 1) RaisePgError(conn, nullptr, "COPY");
  PgResult done(PQgetResult(conn));
  const bool ok = PQresultStatus(done.get()) == PGRES_COMMAND_OK;
  if (!ok) {
    while (PGresult* rest = PQgetResult(conn)) PQclear(rest);
    RaisePgError(conn, done.get(), "COPY");
  }
  while (PGresult* rest = PQgetResult(conn)) PQclear(rest);
}

// The bytes go to a temporary table by a binary copy, streamed, and from
// there into the row, in one transaction: the row never holds part of a
// document, and the client never holds the whole of it.
void PgRecordsetState::LoadField(const std::string& field, int64_t size,
                                 const std::function<size_t(char*, size_t)>& read) {
  CheckOpen();
  if (!updatable || !source || database->read_only) RaiseDao(kErrReadOnly);
  if (size < 0 || size > kMaxFieldBytes) RaiseDao(kErrFieldTooSmall);
  PgLink& target = database->Link();
  const std::string column = ColumnOfTable(target, field);
  const bool own = target.transaction == nullptr;
  if (own) {
    target.Command("BEGIN");
    target.transaction = database.get();
  }
  try {
    // The bytes wait there uncompressed: they are read once, at once.
    target.Command(
        "DO $$BEGIN IF to_regclass('pg_temp.vx_upload') IS NULL THEN "
        "CREATE TEMP TABLE vx_upload (b bytea) ON COMMIT DELETE ROWS; "
        "ALTER TABLE pg_temp.vx_upload ALTER b SET STORAGE EXTERNAL; END IF; END$$; "
        "DELETE FROM pg_temp.vx_upload");
    CopyIntoUpload(target.get(), size, read);
    const std::string& q = source->qualifier;
    const std::string text = "UPDATE " + QuoteName(LCase(source->table)) + " AS " + q +
                             " SET " + column + " = (SELECT b FROM pg_temp.vx_upload)" +
                             " WHERE " + q + ".ctid = CAST(? AS tid) AND " + q +
                             ".xmin = CAST(? AS xid) RETURNING " + q + ".ctid, CAST(" + q +
                             ".xmin AS text)";
    std::vector<PgParam> params;
    const size_t hidden = columns->size();
    for (size_t h = hidden; h < hidden + kHiddenColumns; ++h) {
      const Cell& cell = rows.At(current, h);
      params.push_back(ParamOfStored(kOidText, cell.kind, cell.integer, cell.real,
                                     rows.BytesOf(cell)));
    }
    PgResult result = target.Run(NumberParameters(text), params);
    if (PQntuples(result.get()) == 0) RaiseDao(kErrWriteConflict);
    if (own) {
      // The commit empties the table at once.
      target.transaction = nullptr;
      target.Command("COMMIT");
    } else {
      target.Command("DELETE FROM pg_temp.vx_upload");
    }
    // The row's new position and version, for a later change through this
    // recordset.
    std::vector<StoredValue> row(rows.columns());
    for (size_t c = 0; c < hidden; ++c) {
      const Cell& cell = rows.At(current, c);
      row[c].kind = cell.kind;
      row[c].integer = cell.integer;
      row[c].real = cell.real;
      row[c].bytes.assign(rows.BytesOf(cell));
    }
    for (int h = 0; h < kHiddenColumns; ++h) {
      ReadValue(oids[hidden + static_cast<size_t>(h)], PQgetvalue(result.get(), 0, h),
                PQgetlength(result.get(), 0, h), &row[hidden + static_cast<size_t>(h)]);
    }
    rows.Replace(current, row);
  } catch (...) {
    if (own) {
      target.transaction = nullptr;
      PQclear(PQexec(target.get(), "ROLLBACK"));
    }
    throw;
  }
}

// One statement reads every piece, as a row of its own in binary form:
// the rows come one by one (single-row mode), so that the server sends a
// piece only as the client takes it and the client holds one piece at a
// time, all of them from the statement's one snapshot, in one round trip.
bool PgRecordsetState::StreamField(const std::string& field,
                                   const std::function<void(std::string_view)>& write) {
  CheckOpen();
  if (!updatable || !source) RaiseDao(kErrReadOnly);
  PgLink& target = database->Link();
  const std::string& q = source->qualifier;
  const std::string column = q + "." + ColumnOfTable(target, field);
  // Whether the column is null; then each piece with its place (from 1).
  const std::string text =
      "SELECT " + column + " IS NULL, vx_stueck.g, substring(" + column +
      " FROM vx_stueck.g FOR $2) FROM " + QuoteName(LCase(source->table)) + " AS " + q +
      " LEFT JOIN LATERAL generate_series(1, octet_length(" + column +
      "), $2) AS vx_stueck(g) ON true WHERE " + q + ".ctid = CAST($1 AS tid)";
  PGconn* conn = target.get();
  const std::string ctid(rows.BytesOf(rows.At(current, columns->size())));
  const std::string piece = std::to_string(kFieldPiece);
  const char* arguments[] = {ctid.c_str(), piece.c_str()};
  if (PQsendQueryParams(conn, text.c_str(), 2, nullptr, arguments, nullptr, nullptr, 1) == 0 ||
      PQsetSingleRowMode(conn) == 0) {
    RaisePgError(conn, nullptr, text);
  }
  // While the pieces come the link serves no other statement, unless one
  // of the object's transaction comes (from `write`): that one reads the
  // rest away, and the document is not written out whole.
  struct Pieces final : PgStream {
    explicit Pieces(PGconn* c) : conn(c) {}
    void Drain() override {
      cut = true;
      while (PGresult* rest = PQgetResult(conn)) PQclear(rest);
    }
    PGconn* conn;
    bool cut = false;
  } pieces(conn);
  target.stream = &pieces;
  bool present = false;
  bool found = false;
  int64_t done = 0;
  try {
    for (;;) {
      if (pieces.cut) RaiseDao(kErrReserved, {"another statement broke off the document"});
      PgResult result(PQgetResult(conn));
      const ExecStatusType status = PQresultStatus(result.get());
      if (status == PGRES_TUPLES_OK) break;
      if (status != PGRES_SINGLE_TUPLE) RaisePgError(conn, result.get(), text);
      found = true;
      present = PQgetvalue(result.get(), 0, 0)[0] == 0;
      if (!present || PQgetisnull(result.get(), 0, 1)) continue;  // null or empty
      // The place of the piece, a 4-byte integer in network order: the
      // pieces must come in order, or the document would be garbled.
      const auto* place = reinterpret_cast<const unsigned char*>(PQgetvalue(result.get(), 0, 1));
      const int64_t at = (int64_t{place[0]} << 24) | (place[1] << 16) | (place[2] << 8) | place[3];
      if (at != done + 1) RaiseDao(kErrReserved, {"the pieces of the document came out of order"});
      const auto length = static_cast<size_t>(PQgetlength(result.get(), 0, 2));
      write(std::string_view(PQgetvalue(result.get(), 0, 2), length));
      done += static_cast<int64_t>(length);
    }
  } catch (...) {
    // The rest is not wanted: the server stops sending it, unless a
    // transaction runs on the link, which a cancel would end.
    if (target.transaction == nullptr && !pieces.cut) {
      if (PGcancel* cancel = PQgetCancel(conn)) {
        char error[256];
        PQcancel(cancel, error, sizeof error);
        PQfreeCancel(cancel);
      }
    }
    target.stream = nullptr;
    if (!pieces.cut) pieces.Drain();
    throw;
  }
  target.stream = nullptr;
  while (PGresult* rest = PQgetResult(conn)) PQclear(rest);
  // No row: another user deleted it or moved it since the recordset read it.
  if (!found) RaiseDao(kErrWriteConflict);
  return present;
}

void PgRecordsetState::Update() {
  CheckOpen();
  if (edit == EditMode::kNone) RaiseDao(kErrUpdateWithoutEdit);
  const bool adding = edit == EditMode::kAdd;
  if (!adding && AssignedTableColumns(*this).empty()) {
    last_modified = current;  // nothing changed, nothing to write
    CancelEdit();
    return;
  }
  WriteRow(adding);
  if (adding) {
    last_modified = rows.rows() - 1;
    ++added;
  } else {
    last_modified = current;
  }
  CancelEdit();
}

void PgRecordsetState::WriteRow(bool adding) {
  PgLink& target = database->Link();
  auto name_of = [&](size_t column) {
    const PgColumn* known =
        database->session->Column(target, table_oid, attnums[column]);
    // The column went since the recordset read it.
    if (known == nullptr) RaiseDao(kErrTooFewParameters, {"1"});
    return QuoteName(known->name);
  };
  const std::vector<size_t> assigned = AssignedTableColumns(*this);
  std::vector<PgParam> params;
  for (size_t c : assigned) {
    const StoredValue& value = *buffer[c];
    params.push_back(ParamOfStored(oids[c], value.kind, value.integer, value.real,
                                   value.bytes));
  }
  const std::string table = QuoteName(LCase(source->table));
  const std::string& q = source->qualifier;
  std::string text;
  if (adding) {
    text = "INSERT INTO " + table + " AS " + q;
    if (assigned.empty()) {
      text += " DEFAULT VALUES";
    } else {
      std::string columns_text, marks;
      for (size_t c : assigned) {
        if (!marks.empty()) columns_text += ", ", marks += ", ";
        columns_text += name_of(c);
        marks += "?";
      }
      text += " (" + columns_text + ") VALUES (" + marks + ")";
    }
  } else {
    text = "UPDATE " + table + " AS " + q + " SET ";
    for (size_t i = 0; i < assigned.size(); ++i) {
      if (i > 0) text += ", ";
      text += name_of(assigned[i]) + " = ?";
    }
    // The row as this recordset read it: the same place, the same version.
    const size_t hidden = columns->size();
    text += " WHERE " + q + ".ctid = CAST(? AS tid) AND " + q +
            ".xmin = CAST(? AS xid)";
    for (size_t h = hidden; h < hidden + kHiddenColumns; ++h) {
      const Cell& cell = rows.At(current, h);
      params.push_back(ParamOfStored(kOidText, cell.kind, cell.integer, cell.real,
                                     rows.BytesOf(cell)));
    }
  }
  text += " RETURNING " + source->select_list + ", " + q + ".ctid, CAST(" + q +
          ".xmin AS text)";
  for (const Parameter& p : select_list_parameters) params.push_back(ParamOf(p));
  PgResult result = target.Run(NumberParameters(text), params);
  // No row: another user changed or deleted it since this recordset read it.
  if (PQntuples(result.get()) == 0) RaiseDao(kErrWriteConflict);
  ReadRow(result.get(), 0);
  if (adding) {
    rows.Append(values);
  } else {
    rows.Replace(current, values);
  }
}

// The object's state lives as long as this object or one of its
// recordsets, as a file stays open while a recordset on it does.
class ServerDatabase final : public DatabaseBackend {
 public:
  explicit ServerDatabase(std::shared_ptr<PgDatabaseState> state)
      : state_(std::move(state)) {}

  std::shared_ptr<Recordset> OpenRecordset(const std::string& sql,
                                           RecordsetType type) override;

  // A transaction runs on the link that the object's statements take.
  int32_t Execute(const std::string& sql, bool /*in_transaction*/) override {
    state_->CheckOpen();
    std::string text;
    std::vector<PgParam> params;
    bool definition = false;
    if (!sql.empty() && sql.front() == '@') {
      text = sql.substr(1);
      if (!state_->scope.empty()) CheckScopedStatement(text);
    } else if (std::optional<CopyIntoFile> copy = ParseCopyIntoFile(sql)) {
      return CopyRows(*copy);
    } else {
      const TranslatedStatement translated = TranslateKept(sql, Target::kServer);
      if (translated.kind == StatementKind::kSelect) {
        RaiseDao(kErrCannotExecuteSelect);
      }
      definition = translated.kind == StatementKind::kDefinition;
      text = NumberParameters(translated.sql);
      params = ParamsOf(translated.parameters);
    }
    if (state_->read_only) RaiseDao(kErrReadOnly);
    PgLink& link = state_->Link();
    if (definition && text.find("vx_janein") != std::string::npos) {
      link.Command(kMakeYesNoType);
    }
    PgResult result = link.Run(text, params);
    if (definition) {
      KeepSpellings(link, sql);
      return 0;
    }
    return std::atoi(PQcmdTuples(result.get()));
  }

  void InTransaction(const std::function<void()>& work) override {
    state_->CheckOpen();
    if (state_->read_only) RaiseDao(kErrReadOnly);
    PgLink& link = state_->Link();
    link.Command("BEGIN");
    link.transaction = state_.get();
    try {
      work();
    } catch (...) {
      link.transaction = nullptr;
      if (link.stream != nullptr) link.stream->Drain();
      PQclear(PQexec(link.get(), "ROLLBACK"));
      throw;
    }
    link.transaction = nullptr;
    if (link.stream != nullptr) link.stream->Drain();
    link.Command("COMMIT");
  }

  const std::string& Name() const override {
    state_->CheckOpen();
    return state_->name;
  }

  int32_t Vid() const override { return state_->vid; }

  void Close() override {
    state_->CheckOpen();
    const std::set<PgRecordsetState*> recordsets = state_->recordsets;
    for (PgRecordsetState* recordset : recordsets) recordset->Release();
    state_->open = false;
  }

 private:
  int32_t CopyRows(const CopyIntoFile& copy);
  // What the rows of `described` are, for a recordset on `sql` that is
  // `updatable` (its last kHiddenColumns are the row's position and
  // version); `named_by_statement` tells whether a column's name depends
  // on the text of `sql`.
  std::shared_ptr<const PgDescription> Describe(const PGresult* described, bool updatable,
                                                const std::string& sql,
                                                bool* named_by_statement) const;

  std::shared_ptr<PgDatabaseState> state_;
};

// The copy runs on a link that sees the whole database, for it writes rows
// of another file than this object's; the rows it reads are this file's
// only, by the file's number.  Every column of the table is copied, the
// file number replaced by the target's.
int32_t ServerDatabase::CopyRows(const CopyIntoFile& copy) {
  state_->CheckOpen();
  if (state_->read_only) RaiseDao(kErrReadOnly);
  // The whole database is no file whose rows could be told apart.
  if (state_->scope.empty()) RaiseDao(kErrInvalidOperation);
  const TranslatedStatement source = TranslateKept(copy.select, Target::kServer);
  if (source.kind != StatementKind::kSelect) RaiseDao(kErrInvalidStatement);

  const std::shared_ptr<PgSession> session = PgSession::ForThread(state_->conninfo, "");
  PgLink& whole = session->Acquire(nullptr);
  PgResult target = whole.Run("SELECT vid FROM vxdateien WHERE lower(pfad) = lower($1)",
                              {PgParam{false, false, copy.path}});
  if (PQntuples(target.get()) == 0) RaiseDao(kErrFileNotFound, {copy.path});
  const std::string target_vid = PQgetvalue(target.get(), 0, 0);
  PgResult columns = whole.Run(
      "SELECT quote_ident(attname) FROM pg_attribute WHERE attrelid = to_regclass($1) "
      "AND attnum > 0 AND NOT attisdropped AND attgenerated = '' ORDER BY attnum",
      {PgParam{false, false, QuoteName(LCase(copy.table))}});
  std::string into, from;
  for (int row = 0; row < PQntuples(columns.get()); ++row) {
    const std::string column = PQgetvalue(columns.get(), row, 0);
    into += (row > 0 ? ", " : "") + column;
    from += (row > 0 ? ", " : "") + (column == "vid" ? target_vid : "vx_quelle." + column);
  }
  if (into.empty()) RaiseDao(kErrTableNotFound, {copy.table});
  const std::string text = "INSERT INTO " + QuoteName(LCase(copy.table)) + " (" + into +
                           ") OVERRIDING SYSTEM VALUE SELECT " + from + " FROM (" +
                           source.sql + ") AS vx_quelle WHERE vx_quelle.vid = " + state_->scope;
  PgResult result = whole.Run(NumberParameters(text), ParamsOf(source.parameters));
  return std::atoi(PQcmdTuples(result.get()));
}

std::shared_ptr<const PgDescription> ServerDatabase::Describe(const PGresult* described,
                                                              bool updatable,
                                                              const std::string& sql,
                                                              bool* named_by_statement) const {
  auto made = std::make_shared<PgDescription>();
  made->sent_updatable = updatable;
  made->catalogue_readings = state_->session->catalogue_readings();
  const int all = PQnfields(described);
  const int visible = all - (updatable ? kHiddenColumns : 0);
  // Read only when a column is no table's column by its own name.
  std::optional<std::map<std::string, std::string>> spellings;
  std::vector<ColumnInfo> columns;
  for (int c = 0; c < all; ++c) {
    const Oid oid = PQftype(described, c);
    made->oids.push_back(oid);
    made->attnums.push_back(PQftablecol(described, c));
    if (c >= visible) continue;
    ColumnInfo info;
    info.name = PQfname(described, c);
    const Oid table = PQftable(described, c);
    // A column of a table as the table's definition spells it, unless the
    // statement names it otherwise; anything else as the statement spells it.
    const PgColumn* origin = state_->session->Known(table, PQftablecol(described, c));
    if (origin != nullptr && origin->name == info.name) {
      info.name = origin->spelling;
    } else {
      if (!spellings) spellings = SpellingsOf(sql);
      *named_by_statement = true;
      if (auto spelled = spellings->find(info.name); spelled != spellings->end()) {
        info.name = spelled->second;
      }
    }
    if (std::optional<ColumnType> known = TypeOfOid(oid, PQfmod(described, c))) {
      info.declared = true;
      info.type = *known;
      if (origin != nullptr && origin->yes_no) info.type = ColumnType{kTypeBoolean, 1};
    }
    if (updatable && table != InvalidOid && PQftablecol(described, c) > 0) {
      made->table_oid = table;
      info.origin = "#" + std::to_string(PQftablecol(described, c));
      info.writable = true;
    }
    columns.push_back(std::move(info));
  }
  made->columns = std::make_shared<ColumnSet>(std::move(columns));
  return made;
}

std::shared_ptr<Recordset> ServerDatabase::OpenRecordset(const std::string& sql,
                                                         RecordsetType type) {
  state_->CheckOpen();
  auto rs = std::make_unique<PgRecordsetState>();
  rs->database = state_;
  rs->tag = NextRecordsetTag();

  std::string text;
  std::vector<PgParam> params;
  std::string dynaset_text;
  if (!sql.empty() && sql.front() == '@') {
    text = sql.substr(1);
    if (!state_->scope.empty()) CheckScopedStatement(text);
  } else {
    const TranslatedStatement translated = TranslateKept(
        IsBareTableName(sql) ? "SELECT * FROM " + sql : sql, Target::kServer);
    if (translated.kind != StatementKind::kSelect) RaiseDao(kErrInvalidOperation);
    text = NumberParameters(translated.sql);
    params = ParamsOf(translated.parameters);
    const bool dynaset = type == kOpenDynaset || type == kOpenTable;
    if (dynaset && translated.source && !state_->read_only) {
      const SingleTableSource& source = *translated.source;
      const std::string& q = source.qualifier;
      dynaset_text = NumberParameters(
          translated.sql.substr(0, source.from_offset) + ", " + q + ".ctid, CAST(" +
          q + ".xmin AS text) " + translated.sql.substr(source.from_offset));
      rs->source = source;
      rs->select_list_parameters.assign(
          translated.parameters.begin(),
          translated.parameters.begin() +
              static_cast<std::ptrdiff_t>(source.select_list_parameters));
    }
  }

  PgLink* link = &state_->Link();
  PgResult first;
  std::shared_ptr<const PgDescription>* memo = nullptr;
  auto finish = [&] {
    while (PGresult* rest = PQgetResult(link->get())) PQclear(rest);
  };
  auto send = [&](const std::string& statement) {
    rs->sql = statement;
    for (int attempt = 0;; ++attempt) {
      PgLink& sent_on = *link;
      memo = link->Send(statement, params, [&](const PGresult* description) {
        state_->session->Learn(sent_on, description);
      });
      first.reset(PQgetResult(link->get()));
      const ExecStatusType status = PQresultStatus(first.get());
      if (status == PGRES_SINGLE_TUPLE || status == PGRES_TUPLES_OK) return true;
      const char* code = PQresultErrorField(first.get(), PG_DIAG_SQLSTATE);
      if (attempt > 0 || code == nullptr || std::string_view(code) != "0A000") {
        return false;
      }
      // A table changed since the statement was prepared on this link.
      finish();
      link->Unprepare(statement);
    }
  };
  bool ok = false;
  if (!dynaset_text.empty()) {
    try {
      ok = send(dynaset_text);
    } catch (const Error&) {
      ok = false;  // the server refused to prepare it
    }
    if (ok) {
      rs->updatable = true;
    } else {
      // A view has no row positions: read-only.  A fault of the statement
      // itself shows when it runs as written, below.
      finish();
      rs->source.reset();
      link = &state_->Link();
    }
  }
  if (!ok && !send(text)) {
    PgResult failed = std::move(first);
    finish();
    RaisePgError(link->get(), failed.get(), text);
  }

  // The columns, from the first result, as made for the statement's last
  // recordset while the session has not read the catalogue since.
  std::shared_ptr<const PgDescription> description = *memo;
  if (!description || description->sent_updatable != rs->updatable ||
      description->catalogue_readings != state_->session->catalogue_readings()) {
    bool named_by_statement = false;
    description = Describe(first.get(), rs->updatable, sql, &named_by_statement);
    // Names taken from the statement's text hold for that text only.
    if (!named_by_statement) *memo = description;
  }
  rs->columns = description->columns;
  rs->oids = description->oids;
  rs->attnums = description->attnums;
  rs->table_oid = description->table_oid;
  const PGresult* described = first.get();
  const int all = PQnfields(described);
  rs->buffer.resize(rs->columns->size());
  rs->rows = RowStore(static_cast<size_t>(all));
  rs->link = link;
  rs->link_conn = link->get();
  link->stream = rs.get();
  if (PQresultStatus(described) == PGRES_SINGLE_TUPLE) {
    rs->AppendRow(described, 0);
  } else {
    rs->EndStream();
  }
  first.reset();
  if (rs->table_oid == InvalidOid) rs->updatable = false;

  state_->recordsets.insert(rs.get());
  rs->GoTo(0);
  return std::make_shared<Recordset>(std::move(rs));
}

}  // namespace

std::shared_ptr<Database> OpenServerDatabase(const std::string& conninfo,
                                             const std::string& name,
                                             int32_t vid, bool read_only) {
  auto state = std::make_shared<PgDatabaseState>();
  state->scope = vid < 0 ? "" : std::to_string(vid);
  state->session = PgSession::ForThread(conninfo, state->scope);
  state->conninfo = conninfo;
  state->name = name;
  state->vid = vid < 0 ? 0 : vid;
  state->read_only = read_only;
  state->Link();  // reaches the server now: a failure shows at the open
  return std::make_shared<Database>(std::make_unique<ServerDatabase>(std::move(state)));
}

PGconn* ServerConnection(const std::string& conninfo) {
  // Kept for the thread, as the engine objects of the thread are.
  thread_local std::map<std::string, std::shared_ptr<PgSession>> kept;
  std::shared_ptr<PgSession>& session = kept[conninfo];
  if (!session) session = PgSession::ForThread(conninfo, "");
  return session->Acquire(nullptr).get();
}

}  // namespace vx::dao
