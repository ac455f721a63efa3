// Translation of the engine's SQL dialect into SQLite's.
//
// The dialect is the one the library's statements are written in:
//   "Delete * from X" and "DELETE X.* FROM X"      -> DELETE FROM X
//   #3/5/2024#, #2024-03-05 14:00:00# (month first) -> '2024-03-05 00:00:00'
//   True, False, Yes, No                            -> -1, 0, -1, 0
//   [User], `User`                                  -> "User"
//   "text" (a text, not a name)                     -> 'text'
//   DISTINCTROW, Mod                                -> DISTINCT, %
//   TOP n (also in a subquery)                      -> LIMIT n at its end
//   a & b, a \ b                                    -> vx_concat(a, b),
//                                                      vx_intdiv(a, b)
//   Now(), Date(), Time(), Len, Mid                 -> SQLite's equivalents
//   UCase, LCase, Nz, Format, LIKE                  -> the connection's own
//                                                      (dialect_functions.h)
// Dates are stored as "YYYY-MM-DD hh:mm:ss" texts and booleans as -1 and 0,
// so that these literals compare with stored values.  LIKE patterns pass
// through unchanged ("%" and "_").
//
// Texts compare, sort and group without regard to case, the German letters
// included (text_order.h): comparisons, IN, BETWEEN and the terms of ORDER
// BY and GROUP BY get a collation.  A comparison with a literal text whose
// letters are ASCII uses NOCASE, the collation of every text column, so
// that an index serves it; "= 'Ä-1'" becomes "IN ('Ä-1', 'ä-1')" under
// NOCASE, served the same; all else uses the folding collation DE_NOCASE.
//
// Table definitions (CREATE TABLE, ALTER TABLE ... ADD) get SQLite types
// that keep each column's values as the dialect's type does:
//   COUNTER, AUTOINCREMENT  -> INTEGER PRIMARY KEY AUTOINCREMENT
//   MEMO, NOTE, GUID, ...   -> "MEMO TEXT", ...: text affinity, where SQLite
//                              would read the name as numeric and turn a
//                              memo "1.50" into 1.5
//   every text column       -> COLLATE NOCASE, so that texts compare
//                              without regard to case (SQLite's built-in
//                              collation, which every SQLite shell knows)
//   YESNO without DEFAULT   -> DEFAULT 0: a boolean is never null
// The declared type keeps the dialect's type name first, so that the fields
// of a recordset report the dialect's type codes (field_types.h).  A
// definition uses SQLite's own functions only (upper, lower, coalesce, ||),
// since the file keeps it.
//
// Literals that follow a comparison operator (=, <>, <, >, <=, >=) become
// parameters, so that statements that differ only in such values share one
// prepared statement.
//
// The translation never changes what a statement means: tokens that would
// join in SQLite's reading ("x-True" as "x--1", a comment) are kept apart.
// One statement per call: text after a ";" that ends the statement raises
// 3142, and nothing after it is translated.

#ifndef VX_ENGINE_SQL_DIALECT_H_
#define VX_ENGINE_SQL_DIALECT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sql_lexer.h"

namespace vx::dao {

enum class StatementKind { kSelect, kInsert, kUpdate, kDelete, kDefinition };

// The value of one "?" of a translated statement.
struct Parameter {
  enum class Kind { kInteger, kReal, kText };
  Kind kind = Kind::kInteger;
  int64_t integer = 0;
  double real = 0;
  std::string text;
  bool operator==(const Parameter&) const = default;
};

// What a SELECT reads when its rows are rows of exactly one table: no join,
// subquery in FROM, DISTINCT, GROUP BY, HAVING, aggregate or compound.
struct SingleTableSource {
  std::string table;            // the table's name, unquoted
  std::string qualifier;        // how the statement names the table's rows,
                                // quoted for SQLite (its alias or its name)
  std::string select_list;      // the translated select list
  size_t select_list_parameters = 0;  // parameters within the select list
  std::string table_reference;  // the translated FROM item: T, T AS a
  size_t from_offset = 0;       // offset of the top-level FROM in sql
  bool operator==(const SingleTableSource&) const = default;
};

// An item of a select list that is Max, Min or Sum of one column: its
// values have the column's type, which SQLite does not report for it.
struct TypedAggregate {
  size_t position = 0;  // of the item in the select list
  bool sum = false;     // Sum, which keeps only currency
  std::string column;   // the translated column reference
  bool operator==(const TypedAggregate&) const = default;
};

struct TranslatedStatement {
  StatementKind kind = StatementKind::kSelect;
  std::string sql;                      // SQLite's text, "?" for parameters
  std::vector<Parameter> parameters;    // in the order of the "?"
  std::optional<SingleTableSource> source;  // for a SELECT of one table
  std::vector<TypedAggregate> typed_aggregates;
  std::string from_clause;  // translated "FROM ..." when there are some
  bool operator==(const TranslatedStatement&) const = default;
};

// Where a translated statement runs: a SQLite database file, or the
// database server (PostgreSQL), where the statement differs so:
//   names in brackets   -> in small letters, quoted ("[ProNr]" -> "pronr"),
//                          as are words with letters beyond ASCII
//   #3/5/2024#          -> TIMESTAMP '2024-03-05 00:00:00'
//   a & b, a \ b        -> pg_temp.vx_concat(a, b), pg_temp.vx_intdiv(a, b)
//   WHERE Flag, NOT Flag -> WHERE (Flag <> 0): a lone operand as a condition
//   UCase, Nz, IIf, ... -> the session's functions (pg_session.h)
//   comparisons, sorts  -> COLLATE pg_temp.vx_nocase, which folds case
//   x LIKE p            -> x COLLATE "und-x-icu" ILIKE p
//   table definitions   -> the server's types (YESNO: vx_janein DEFAULT 0,
//                          a smallint of -1 or 0)
// and is refused: a call of a function the dialect does not know (3085), a
// name of the server's catalogue ("pg_...", 3078), SELECT ... INTO (3129).
// Parameters stay "?": NumberParameters numbers them for the server.
enum class Target { kFile, kServer };

// Translates one statement of the dialect.  Raises 3142 for text after its
// end, 3129 for a statement that is no SELECT, INSERT, UPDATE, DELETE,
// CREATE, DROP or ALTER, 3075 for an unreadable literal, 3290 for a column
// list or type size it cannot read, 3360 for parentheses nested deeper
// than 100.
TranslatedStatement TranslateStatement(std::string_view sql,
                                       Target target = Target::kFile);

// Where one parameter of a translation comes from.
struct ParameterOrigin {
  size_t token = 0;        // the index of the literal's token
  bool negated = false;    // a number after "-": its value negated
  bool case_form = false;  // one of the literal's case forms ("=" made
                           // "IN (...)"), which follow in their order
};

// TranslateStatement of `sql` split into `tokens` (Tokenize(sql)), telling
// in `origins`, when given, where each parameter comes from.
TranslatedStatement TranslateTokens(std::string_view sql, std::vector<Token> tokens,
                                    Target target,
                                    std::vector<ParameterOrigin>* origins);

// The parameter a literal token (a text, number, date or True/False/Yes/No)
// gives after a comparison; nothing for a number or date it cannot read.
std::optional<Parameter> LiteralParameter(const Token& token, bool negate);

// The case forms that a text literal compared with "=" is matched against:
// for a database file those of its letters outside ASCII (CaseVariants,
// text_order.h; NOCASE folds the others), for the server those of every
// letter.  Nothing when it has too many, and is compared through the
// folding collation.
std::optional<std::vector<std::string>> LiteralCaseForms(const Token& token,
                                                         Target target = Target::kFile);

// `sql` with its "?" outside quotes numbered for the server: $first, ...
std::string NumberParameters(std::string_view sql, int first = 1);

// The statements of a script, separated by ";" outside texts, names and
// comments; empty statements left out.
std::vector<std::string_view> SplitScript(std::string_view script);

// `name` as a SQLite name: in double quotes, inner quotes doubled.
std::string QuoteName(std::string_view name);

// The stored text of the date a "#...#" literal's content names, month
// first: "3/5/2024" gives "2024-03-05 00:00:00".  Nothing when it names none.
std::optional<std::string> DateLiteralText(std::string_view content);

}  // namespace vx::dao

#endif  // VX_ENGINE_SQL_DIALECT_H_
