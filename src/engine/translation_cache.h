// Translations of statements, kept per thread by the statement's shape and
// the translation's target (a database file or the server).
//
// Statements that differ only in the literals that become parameters
// ("... WHERE Id = 7", "... WHERE Id = 8") translate to the same text: the translation of the first is kept and serves the others with
// their own parameters, so that a program reading one row after another
// translates the statement once (and, through the connection's statement
// cache, prepares it once).
//
// A shape is the statement's tokens with the text of every literal left
// out.  A kept translation serves a statement of its shape only where the
// literals would make no other translation:
//   - a literal that became no parameter is the same as written then (a
//     "TOP 5", a text in the select list);
//   - one that became parameters is of the same sort: a number that reads
//     as an integer, or one that does not; a date that reads as a date; a
//     text with as many case forms (LiteralCaseForms), since that number
//     decides between a plain comparison, NOCASE, "IN (...)" of the forms
//     and the folding collation.
// Anything else is translated anew, and raises as TranslateStatement does.

#ifndef VX_ENGINE_TRANSLATION_CACHE_H_
#define VX_ENGINE_TRANSLATION_CACHE_H_

#include <cstddef>
#include <string_view>

#include "engine/sql_dialect.h"

namespace vx::dao {

// TranslateStatement(sql, target), the same result, from the thread's kept
// translation of `sql`'s shape for `target` when there is one.
TranslatedStatement TranslateKept(std::string_view sql, Target target = Target::kFile);

// The number of shapes a thread keeps; beyond it the kept ones are dropped.
inline constexpr size_t kKeptShapes = 64;
// Longer statements are translated each time: they seldom come twice (an
// INSERT of many written values), and each kept one holds its length.
inline constexpr size_t kLongestKept = 4096;

}  // namespace vx::dao

#endif  // VX_ENGINE_TRANSLATION_CACHE_H_
