// The dialect's translation never changes what a statement means.
//
// The meaning of a statement of the dialect lies in its tokens alone, not in
// the blanks between them.  So the statement and the same tokens written
// with a blank between each pair must translate to statements that SQLite
// reads alike: both prepared to the same program (EXPLAIN, blanks inside
// its operands ignored) with as many parameters as the translation binds,
// or both refused with the same message.  A second, independent translator
// to compare with would repeat the first one's decisions; this check needs
// none, and it catches what joins tokens in SQLite's reading: "x-True" read
// as "x--1" (a comment that swallows the rest), two quoted texts read as
// one, a name followed by a text read as a blob, "?" followed by a digit.
// The translations kept by shape (translation_cache.h) must give exactly
// what a fresh translation gives: for the statement, and for the same
// statement with other values in its literals, translated after it.
// Besides, the output must hold no comment at all, and nothing may crash or
// show undefined behaviour on any input; the same holds of the translation
// for the database server, which no SQLite here can prepare.

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "engine/dialect_functions.h"
#include "engine/sql_dialect.h"
#include "engine/sql_lexer.h"
#include "engine/translation_cache.h"
#include "vx_taluvek/error.h"

namespace {

using vx::dao::Parameter;
using vx::dao::TranslatedStatement;

// The tables the seeds name, made through the dialect itself.
constexpr const char* kSchema[] = {
    "CREATE TABLE Projekt (Id COUNTER PRIMARY KEY, ProNr TEXT(20) NOT NULL, "
    "ProBez TEXT(50), SatzLockKZ YESNO, Beginn DATETIME, Budget CURRENCY, "
    "Menge LONG, BEMERKUNG MEMO)",
    "CREATE UNIQUE INDEX ixProNr ON Projekt (ProNr)",
    "CREATE TABLE T (a TEXT(10), b LONG, c DOUBLE, d DATETIME)",
    "CREATE TABLE U (a TEXT(10), b LONG, c MEMO)",
};

sqlite3* Database() {
  static sqlite3* db = [] {
    sqlite3* d = nullptr;
    if (sqlite3_open(":memory:", &d) != SQLITE_OK) std::abort();
    vx::dao::RegisterDialectFunctions(d);
    for (const char* sql : kSchema) {
      const std::string translated = vx::dao::TranslateStatement(sql).sql;
      if (sqlite3_exec(d, translated.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        std::abort();
      }
    }
    return d;
  }();
  return db;
}

// The statement's program, one line per instruction, or SQLite's message
// when it refuses it.  Checks the count of parameters on the way.
std::string Program(const TranslatedStatement& t) {
  sqlite3* db = Database();
  sqlite3_stmt* stmt = nullptr;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(db, t.sql.c_str(), static_cast<int>(t.sql.size()), &stmt,
                         &tail) != SQLITE_OK ||
      stmt == nullptr) {
    sqlite3_finalize(stmt);
    return std::string("refused: ") + sqlite3_errmsg(db);
  }
  if (static_cast<size_t>(sqlite3_bind_parameter_count(stmt)) != t.parameters.size()) {
    std::abort();  // a parameter lost, in a comment say
  }
  sqlite3_finalize(stmt);

  const std::string explain = "EXPLAIN " + t.sql;
  if (sqlite3_prepare_v2(db, explain.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    std::abort();  // prepared once, so it explains
  }
  std::string program;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    for (int column = 1; column <= 6; ++column) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
      for (const char* p = text; p != nullptr && *p != '\0'; ++p) {
        if (*p != ' ' && *p != '\n') program += *p;
      }
      program += '\t';
    }
    program += '\n';
  }
  sqlite3_finalize(stmt);
  return program;
}

// Whether SQLite would find a comment in `sql` ("--" or "/*" outside quotes).
bool HasComment(std::string_view sql) {
  char quote = 0;
  for (size_t i = 0; i < sql.size(); ++i) {
    const char c = sql[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (i + 1 < sql.size() &&
               ((c == '-' && sql[i + 1] == '-') || (c == '/' && sql[i + 1] == '*'))) {
      return true;
    }
  }
  return false;
}

bool SameParameters(const std::vector<Parameter>& a, const std::vector<Parameter>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].kind != b[i].kind || a[i].integer != b[i].integer ||
        a[i].text != b[i].text ||
        !(a[i].real == b[i].real || (a[i].real != a[i].real && b[i].real != b[i].real))) {
      return false;
    }
  }
  return true;
}

// `sql` with other values in its literals: digits and ASCII letters moved
// on by one, the letters of True, False, Yes and No in the other case.
std::string OtherValues(std::string_view sql, const std::vector<vx::dao::Token>& tokens) {
  std::string other(sql);
  for (const vx::dao::Token& token : tokens) {
    const bool boolean = vx::dao::IsBooleanWord(token);
    if (!boolean && !vx::dao::IsText(token) && token.kind != vx::dao::TokenKind::kNumber &&
        token.kind != vx::dao::TokenKind::kDate) {
      continue;
    }
    for (size_t k = token.offset; k < token.offset + token.text.size(); ++k) {
      char& c = other[k];
      if (boolean) {
        c = static_cast<char>(c ^ 0x20);
      } else if (c >= '0' && c <= '9') {
        c = c == '9' ? '0' : static_cast<char>(c + 1);
      } else if ((c >= 'a' && c <= 'y') || (c >= 'A' && c <= 'Y')) {
        c = static_cast<char>(c + 1);
      }
    }
  }
  return other;
}

// The translation of `sql` kept by shape is the fresh one, or both refuse,
// for a database file and for the server.
void CheckKept(std::string_view sql) {
  for (vx::dao::Target target : {vx::dao::Target::kFile, vx::dao::Target::kServer}) {
    TranslatedStatement fresh, kept;
    int32_t fresh_error = 0, kept_error = 0;
    try {
      fresh = vx::dao::TranslateStatement(sql, target);
    } catch (const vx::Error& e) {
      fresh_error = e.number();
    }
    try {
      kept = vx::dao::TranslateKept(sql, target);
    } catch (const vx::Error& e) {
      kept_error = e.number();
    }
    if (fresh_error != kept_error) std::abort();
    if (fresh_error == 0 && !(fresh == kept)) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;  // long inputs find nothing short ones do not
  const std::string_view sql(reinterpret_cast<const char*>(data), size);
  CheckKept(sql);
  TranslatedStatement written;
  std::vector<vx::dao::Token> tokens;
  try {
    written = vx::dao::TranslateStatement(sql);
    tokens = vx::dao::Tokenize(sql);
  } catch (const vx::Error&) {
    return 0;  // refused: nothing reaches SQLite
  }
  if (HasComment(written.sql)) std::abort();
  CheckKept(OtherValues(sql, tokens));
  CheckKept(sql);

  std::string spaced;
  for (const vx::dao::Token& token : tokens) {
    if (!spaced.empty()) spaced += ' ';
    spaced += token.text;
  }
  TranslatedStatement apart;
  try {
    apart = vx::dao::TranslateStatement(spaced);
  } catch (const vx::Error&) {
    std::abort();  // the blanks changed whether it translates
  }
  if (!SameParameters(written.parameters, apart.parameters)) std::abort();
  if (Program(written) != Program(apart)) std::abort();

  // For the database server: no comment either, and the same refusal or
  // the same parameters whatever the blanks.
  auto for_server = [](std::string_view text, TranslatedStatement* out) -> int32_t {
    try {
      *out = vx::dao::TranslateStatement(text, vx::dao::Target::kServer);
      return 0;
    } catch (const vx::Error& e) {
      return e.number();
    }
  };
  TranslatedStatement server_written, server_apart;
  const int32_t refused = for_server(sql, &server_written);
  if (refused != for_server(spaced, &server_apart)) std::abort();
  if (refused == 0) {
    if (HasComment(server_written.sql)) std::abort();
    if (!SameParameters(server_written.parameters, server_apart.parameters)) std::abort();
    vx::dao::NumberParameters(server_written.sql);
  }
  return 0;
}
