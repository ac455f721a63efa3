// Tokens of the engine's SQL dialect.
//
// The dialect differs from SQLite's in its quotes: names are written in
// brackets ([User]), texts in single or double quotes, dates between "#".
// The lexer knows these forms and nothing of the grammar; the translation
// (sql_dialect.h) works on its tokens.

#ifndef VX_ENGINE_SQL_LEXER_H_
#define VX_ENGINE_SQL_LEXER_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vx::dao {

enum class TokenKind {
  kWord,          // keyword or plain name: Projekt, SELECT, Größe
  kName,          // [bracketed] or `backquoted` name; text() keeps the marks
  kString,        // 'text' with '' for an apostrophe
  kDoubleString,  // "text" with "" for a quote, also a text in the dialect
  kNumber,        // 12, 1.5, .5, 1e-3
  kDate,          // #3/5/2024#, #2024-03-05 14:00#
  kSymbol,        // operators and punctuation: ( ) , ; . * = <> <= || ...
};

// `c` in upper case when it is an ASCII letter (keywords are ASCII).
inline char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

struct Token {
  TokenKind kind;
  std::string_view text;   // as written, marks and quotes included
  bool space_before;       // blanks or a comment come before it
  size_t offset;           // byte offset in the statement

  bool IsSymbol(std::string_view s) const {
    return kind == TokenKind::kSymbol && text == s;
  }
  // A word equal to `keyword` (upper case) without regard to case.  Here
  // rather than out of line: the translation asks it many times per token.
  bool IsWord(std::string_view keyword) const {
    if (kind != TokenKind::kWord || text.size() != keyword.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
      if (AsciiUpper(text[i]) != keyword[i]) return false;
    }
    return true;
  }
};

// A text literal, in single or double quotes.
inline bool IsText(const Token& t) {
  return t.kind == TokenKind::kString || t.kind == TokenKind::kDoubleString;
}

// True, False, Yes or No: a boolean constant, or a name after ".".
inline bool IsBooleanWord(const Token& t) {
  return t.IsWord("TRUE") || t.IsWord("FALSE") || t.IsWord("YES") || t.IsWord("NO");
}

// Splits `sql` into tokens.  Blanks and comments ("--" to the end of the
// line, "/* ... */") separate tokens and are dropped.  Raises 3075 for an
// unterminated text, name, date or comment and for a character that is no
// part of the dialect; a bare "?" (a parameter to SQLite) raises 3061, as
// an unknown name does in the dialect.
std::vector<Token> Tokenize(std::string_view sql);

// The content of a text or name token without its quotes or marks, doubled
// quotes made single.
std::string Unquote(const Token& token);

}  // namespace vx::dao

#endif  // VX_ENGINE_SQL_LEXER_H_
