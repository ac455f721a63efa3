#include "engine/sql_lexer.h"

#include <string>

#include "engine/dao_errors.h"

namespace vx::dao {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' ||
         c == '\v';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// Letters, "_" and every byte of a multi-byte UTF-8 character start names.
bool IsNameStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}
bool IsNamePart(char c) { return IsNameStart(c) || IsDigit(c) || c == '$'; }

class Lexer {
 public:
  explicit Lexer(std::string_view sql) : sql_(sql) {}

  std::vector<Token> Run() {
    std::vector<Token> tokens;
    tokens.reserve(sql_.size() / 4 + 4);  // about a token per 4 bytes: no regrowth
    bool space = false;
    while (pos_ < sql_.size()) {
      if (SkipBlankOrComment()) {
        space = true;
        continue;
      }
      size_t start = pos_;
      TokenKind kind = Scan();
      tokens.push_back(
          Token{kind, sql_.substr(start, pos_ - start), space, start});
      space = false;
    }
    return tokens;
  }

 private:
  char At(size_t i) const { return i < sql_.size() ? sql_[i] : '\0'; }

  [[noreturn]] void Fail() const { RaiseDao(kErrSyntax, {sql_}); }

  bool SkipBlankOrComment() {
    char c = sql_[pos_];
    if (IsBlank(c)) {
      ++pos_;
      return true;
    }
    if (c == '-' && At(pos_ + 1) == '-') {
      size_t end = sql_.find('\n', pos_);
      pos_ = end == std::string_view::npos ? sql_.size() : end + 1;
      return true;
    }
    if (c == '/' && At(pos_ + 1) == '*') {
      size_t end = sql_.find("*/", pos_ + 2);
      if (end == std::string_view::npos) Fail();
      pos_ = end + 2;
      return true;
    }
    return false;
  }

  // Moves past a text quoted by `quote`, in which a doubled quote stands
  // for itself.
  void SkipQuoted(char quote) {
    ++pos_;
    for (;;) {
      size_t end = sql_.find(quote, pos_);
      if (end == std::string_view::npos) Fail();
      pos_ = end + 1;
      if (At(pos_) != quote) return;
      ++pos_;
    }
  }

  // Moves past a form closed by `close`, which cannot occur inside.
  void SkipTo(char close, bool allow_line_break) {
    size_t end = sql_.find(close, pos_ + 1);
    if (end == std::string_view::npos) Fail();
    if (!allow_line_break &&
        sql_.substr(pos_, end - pos_).find('\n') != std::string_view::npos) {
      Fail();
    }
    pos_ = end + 1;
  }

  void SkipNumber() {
    while (IsDigit(At(pos_))) ++pos_;
    if (At(pos_) == '.') {
      ++pos_;
      while (IsDigit(At(pos_))) ++pos_;
    }
    if (AsciiUpper(At(pos_)) == 'E') {
      size_t exponent = pos_ + 1;
      if (At(exponent) == '+' || At(exponent) == '-') ++exponent;
      if (IsDigit(At(exponent))) {
        pos_ = exponent;
        while (IsDigit(At(pos_))) ++pos_;
      }
    }
  }

  TokenKind Scan() {
    char c = sql_[pos_];
    if (IsNameStart(c)) {
      while (pos_ < sql_.size() && IsNamePart(sql_[pos_])) ++pos_;
      return TokenKind::kWord;
    }
    if (IsDigit(c) || (c == '.' && IsDigit(At(pos_ + 1)))) {
      SkipNumber();
      return TokenKind::kNumber;
    }
    switch (c) {
      case '\'':
        SkipQuoted('\'');
        return TokenKind::kString;
      case '"':
        SkipQuoted('"');
        return TokenKind::kDoubleString;
      case '[':
        SkipTo(']', false);
        return TokenKind::kName;
      case '`':
        SkipTo('`', false);
        return TokenKind::kName;
      case '#':
        SkipTo('#', false);
        return TokenKind::kDate;
      case '?':
        RaiseDao(kErrTooFewParameters, {"1"});
      default:
        break;
    }
    static constexpr std::string_view kPairs[] = {"<>", "<=", ">=", "!=",
                                                  "==", "||", "<<", ">>"};
    for (std::string_view pair : kPairs) {
      if (sql_.substr(pos_, 2) == pair) {
        pos_ += 2;
        return TokenKind::kSymbol;
      }
    }
    if (std::string_view("(),;.*=<>+-/%&|~\\").find(c) == std::string_view::npos) {
      Fail();
    }
    ++pos_;
    return TokenKind::kSymbol;
  }

  std::string_view sql_;
  size_t pos_ = 0;
};

}  // namespace

std::vector<Token> Tokenize(std::string_view sql) { return Lexer(sql).Run(); }

std::string Unquote(const Token& token) {
  std::string_view inner = token.text.substr(1, token.text.size() - 2);
  if (token.kind != TokenKind::kString && token.kind != TokenKind::kDoubleString) {
    return std::string(inner);
  }
  const char quote = token.text[0];
  std::string text;
  text.reserve(inner.size());
  for (size_t i = 0; i < inner.size(); ++i) {
    text += inner[i];
    if (inner[i] == quote) ++i;  // the second of a doubled quote
  }
  return text;
}

}  // namespace vx::dao
