// The functions and the collation that translated statements use
// (sql_dialect.h), registered on each connection before its first
// statement:
//   collation DE_NOCASE   texts compared as text_order.h says
//   like(p, x[, e])       LIKE with that folding (replaces SQLite's)
//   ucase, lcase          the library's UCase and LCase
//   nz(x[, y])            x, else y; with one argument x, else ""
//   format(x[, f])        the run time's Format of a date or a number
//   vx_concat(a, b)       a & b: Null counts as "", Null & Null is Null
//   vx_intdiv(a, b)       a \ b: both rounded to integers (half to even),
//                         the quotient truncated; Null for b = 0
// None of them is ever written into a file's schema: table definitions are
// translated without them, so that every SQLite program reads the files.

#ifndef VX_ENGINE_DIALECT_FUNCTIONS_H_
#define VX_ENGINE_DIALECT_FUNCTIONS_H_

struct sqlite3;

namespace vx::dao {

inline constexpr const char* kFoldingCollation = "DE_NOCASE";

// Registers the functions and the collation on `db`.  SQLite refuses to
// replace a function while a statement runs: call it before the first.
void RegisterDialectFunctions(sqlite3* db);

}  // namespace vx::dao

#endif  // VX_ENGINE_DIALECT_FUNCTIONS_H_
