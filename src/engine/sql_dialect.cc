#include "engine/sql_dialect.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <utility>

#include "engine/dao_errors.h"
#include "engine/dialect_functions.h"
#include "engine/field_types.h"
#include "engine/sql_lexer.h"
#include "engine/text_order.h"
#include "platform/text.h"
#include "vx_taluvek/variant.h"

namespace vx::dao {

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);
// Deeper nesting is refused: SQLite's parser has its own, lower limits on
// some forms, and the translation walks the nesting.
constexpr size_t kMaxNesting = 100;
// A literal compared with "=" whose letters have more case forms than this
// is compared through the folding collation instead of its forms.
constexpr size_t kMaxCaseVariants = 16;

// The name a word or a bracketed name stands for.
std::string NameText(const Token& t) {
  return t.kind == TokenKind::kWord ? std::string(t.text) : Unquote(t);
}

bool IsComparison(const Token& t) {
  return t.kind == TokenKind::kSymbol &&
         (t.text == "=" || t.text == "<>" || t.text == "<" || t.text == ">" ||
          t.text == "<=" || t.text == ">=" || t.text == "!=" || t.text == "==");
}

bool IsEquality(const Token& t) {
  return t.IsSymbol("=") || t.IsSymbol("==") || t.IsSymbol("<>") ||
         t.IsSymbol("!=");
}

bool IsTrueWord(const Token& t) { return t.IsWord("TRUE") || t.IsWord("YES"); }

bool IsSign(const Token& t) { return t.IsSymbol("-") || t.IsSymbol("+"); }

// Words of the grammar, which never stand for a value.
bool IsKeyword(const Token& t) {
  static constexpr std::string_view kWords[] = {
      "ALL",     "AND",      "AS",      "ASC",       "BETWEEN", "BY",
      "CASE",    "COLLATE",  "CROSS",   "DELETE",    "DESC",    "DISTINCT",
      "DISTINCTROW", "ELSE", "END",     "ESCAPE",    "EXCEPT",  "EXISTS",
      "FROM",    "FULL",     "GLOB",    "GROUP",     "HAVING",  "IN",
      "INNER",   "INSERT",   "INTERSECT", "INTO",    "IS",      "JOIN",
      "LEFT",    "LIKE",     "LIMIT",   "MOD",       "NATURAL", "NOT",
      "NULLS",   "OFFSET",   "ON",      "OR",        "ORDER",   "OUTER",
      "OVER",    "RETURNING", "RIGHT",  "SELECT",    "SET",     "THEN",
      "TOP",     "UNION",    "UPDATE",  "USING",     "VALUES",  "WHEN",
      "WHERE",   "WINDOW",   "XOR"};
  if (t.kind != TokenKind::kWord) return false;
  for (std::string_view w : kWords) {
    if (t.IsWord(w)) return true;
  }
  return false;
}

// A token that is a value or a name by itself.
bool IsOperandToken(const Token& t) {
  return t.kind == TokenKind::kName || t.kind == TokenKind::kString ||
         t.kind == TokenKind::kDoubleString || t.kind == TokenKind::kNumber ||
         t.kind == TokenKind::kDate ||
         (t.kind == TokenKind::kWord && !IsKeyword(t));
}

bool EndsOperand(const Token& t) { return IsOperandToken(t) || t.IsSymbol(")"); }

bool IsNameToken(const Token& t) {
  return t.kind == TokenKind::kWord || t.kind == TokenKind::kName;
}

// Binary operators that may stand inside an operand of "&" or "\".
enum class Operators {
  kConcatLeft,    // arithmetic and "&": the left operand of "&"
  kConcatRight,   // arithmetic: the right operand of "&"
  kDivideLeft,    // "*", "/", "\": the left operand of "\"
  kDivideRight,   // "*", "/": the right operand of "\"
};

bool IsOperatorOf(const Token& t, Operators set) {
  const bool multiplicative = t.IsSymbol("*") || t.IsSymbol("/");
  switch (set) {
    case Operators::kConcatLeft:
      if (t.IsSymbol("&")) return true;
      [[fallthrough]];
    case Operators::kConcatRight:
      return multiplicative || IsSign(t) || t.IsSymbol("\\") ||
             t.IsSymbol("%") || t.IsWord("MOD");
    case Operators::kDivideLeft:
      return multiplicative || t.IsSymbol("\\");
    case Operators::kDivideRight:
      return multiplicative;
  }
  return false;
}

std::string QuoteText(std::string_view text) {
  std::string quoted = "'";
  for (char c : text) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted + "'";
}

bool IsWordByte(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
         (c >= '0' && c <= '9') || c == '_' || c == '$' ||
         static_cast<unsigned char>(c) >= 0x80;
}

// Whether SQLite would read `last` followed by `first` as one token or as
// the start of a comment: "-" "-", "/" "*", two quotes, a name followed by
// a name or a quote (x'..' is a blob), "?" followed by a digit (a numbered
// parameter), and operators that would merge ("||", "<=", "->").
bool Joins(char last, char first) {
  if (last == '-' && (first == '-' || first == '>')) return true;
  if (last == '/' && first == '*') return true;
  if ((last == '\'' || last == '"') && first == last) return true;
  if (IsWordByte(last) && (IsWordByte(first) || first == '\'' || first == '"')) {
    return true;
  }
  if (last == '?' && first >= '0' && first <= '9') return true;
  if (last == '|' && first == '|') return true;
  const std::string_view comparison = "<>=!";
  return comparison.find(last) != std::string_view::npos &&
         (first == '=' || first == '<' || first == '>');
}

// Whether `text` would join the end of `sql` through a point where the
// dialect reads two tokens: SQLite reads "2.u" (the number "2." and the
// name "u") as one malformed token, and "0.5" or "0." (the word No, written
// 0, and the number ".5" or a point) as one number.
bool JoinsAtPoint(std::string_view sql, std::string_view text) {
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (sql.size() >= 2 && sql.back() == '.' && digit(sql[sql.size() - 2]) &&
      IsWordByte(text.front())) {
    return true;
  }
  if (text.front() != '.') return false;
  return digit(sql.back()) ||
         (IsWordByte(sql.back()) && text.size() >= 2 && digit(text[1]));
}

// Words that begin a column constraint and so end a column's type name.
bool IsConstraintWord(const Token& t) {
  static constexpr std::string_view kWords[] = {
      "CONSTRAINT", "PRIMARY",  "NOT",       "NULL",      "UNIQUE",
      "CHECK",      "DEFAULT",  "COLLATE",   "REFERENCES", "GENERATED",
      "AS",         "WITH"};
  for (std::string_view w : kWords) {
    if (t.IsWord(w)) return true;
  }
  return false;
}

// Words that begin a table constraint in a column list.
bool IsTableConstraintWord(const Token& t) {
  return t.IsWord("CONSTRAINT") || t.IsWord("PRIMARY") ||
         t.IsWord("UNIQUE") || t.IsWord("CHECK") || t.IsWord("FOREIGN");
}

bool IsAggregate(const Token& t) {
  static constexpr std::string_view kNames[] = {
      "COUNT", "SUM", "AVG", "MIN", "MAX", "TOTAL", "GROUP_CONCAT",
      "FIRST", "LAST", "STDEV", "VAR"};
  for (std::string_view n : kNames) {
    if (t.IsWord(n)) return true;
  }
  return false;
}

// Words that end the FROM item of a single-table SELECT.
bool EndsFromItem(const Token& t) {
  return t.IsWord("WHERE") || t.IsWord("ORDER") || t.IsWord("LIMIT");
}

// Words that end the FROM clause of a SELECT.
bool EndsFromClause(const Token& t) {
  return t.IsWord("WHERE") || t.IsWord("GROUP") || t.IsWord("HAVING") ||
         t.IsWord("ORDER") || t.IsWord("LIMIT") || t.IsWord("UNION") ||
         t.IsWord("EXCEPT") || t.IsWord("INTERSECT") || t.IsWord("WINDOW");
}

// Words that end a term of ORDER BY or GROUP BY.
bool EndsSortTerm(const Token& t) {
  return t.IsSymbol(",") || t.IsWord("ASC") || t.IsWord("DESC") ||
         t.IsWord("NULLS") || EndsFromClause(t) || t.IsWord("OFFSET") ||
         t.IsWord("COLLATE");
}

// The server's collation for texts compared without regard to case, made
// for each session (pg_session.h).
constexpr const char* kServerFoldingCollation = "pg_temp.vx_nocase";
// The collation under which LIKE folds the German letters on the server.
constexpr const char* kServerLikeCollation = "\"und-x-icu\"";

// The dialect's functions and what the server calls them: the session's
// own (pg_session.h) or the server's.  No other function is called there.
constexpr std::pair<std::string_view, std::string_view> kServerFunctions[] = {
    {"UCASE", "pg_temp.ucase"}, {"LCASE", "pg_temp.lcase"},
    {"LEN", "pg_temp.len"},     {"MID", "pg_temp.mid"},
    {"LEFT", "pg_temp.vx_left"}, {"RIGHT", "pg_temp.vx_right"},
    {"NZ", "pg_temp.nz"},       {"IIF", "pg_temp.iif"},
    {"YEAR", "pg_temp.year"},   {"MONTH", "pg_temp.month"},
    {"DAY", "pg_temp.day"},     {"TRIM", "trim"},
    {"LTRIM", "ltrim"},         {"RTRIM", "rtrim"},
    {"COUNT", "count"},         {"SUM", "sum"},
    {"MIN", "min"},             {"MAX", "max"},
    {"AVG", "avg"},             {"ABS", "abs"},
    {"ROUND", "round"},         {"COALESCE", "coalesce"},
    {"UPPER", "pg_temp.ucase"}, {"LOWER", "pg_temp.lcase"},
    {"LENGTH", "pg_temp.len"},  {"SUBSTR", "pg_temp.mid"},
    {"REPLACE", "replace"},     {"CAST", "CAST"},
};

// Words before "(" that are no call: "IN (", "EXISTS (", "VALUES (".
bool IsGroupWord(const Token& t) {
  return (IsKeyword(t) && !t.IsWord("LEFT") && !t.IsWord("RIGHT")) ||
         t.IsWord("ANY") || t.IsWord("SOME");
}

// A name that reaches the server's own catalogue ("pg_settings",
// "information_schema"), which no statement of the dialect names.
bool IsServerCatalogName(std::string_view name) {
  const std::string upper = UCase(name);
  return upper.rfind("PG_", 0) == 0 || upper == "INFORMATION_SCHEMA";
}

// Every text that equals `text` without regard to case, ASCII letters
// included: the server's comparison of a column with them is exact, so
// that an index on the column serves it.  Nothing when there are more than
// `limit`.
std::optional<std::vector<std::string>> AllCaseVariants(std::string_view text,
                                                        size_t limit) {
  std::optional<std::vector<std::string>> forms = CaseVariants(text, limit);
  if (!forms) return std::nullopt;
  std::vector<std::string> all;
  for (const std::string& form : *forms) {
    std::vector<std::string> expanded{form};
    for (size_t k = 0; k < form.size(); ++k) {
      const char c = form[k];
      if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) continue;
      if (all.size() + expanded.size() * 2 > limit) return std::nullopt;
      const size_t count = expanded.size();
      for (size_t f = 0; f < count; ++f) {
        std::string other = expanded[f];
        other[k] = static_cast<char>(c ^ 0x20);  // the other case of an ASCII letter
        expanded.push_back(std::move(other));
      }
    }
    all.insert(all.end(), expanded.begin(), expanded.end());
  }
  return all;
}

class Translator {
 public:
  Translator(std::string_view sql, std::vector<Token> tokens, Target target,
             std::vector<ParameterOrigin>* origins)
      : sql_(sql),
        tokens_(std::move(tokens)),
        server_(target == Target::kServer),
        origins_(origins) {}

  TranslatedStatement Run() {
    end_ = tokens_.size();
    for (size_t i = 0; i < tokens_.size(); ++i) {
      if (tokens_[i].IsSymbol(";")) {
        if (i + 1 < tokens_.size()) RaiseDao(kErrTextAfterEnd);
        end_ = i;
        break;
      }
    }
    if (end_ == 0) RaiseDao(kErrInvalidStatement);
    result_.kind = Kind(tokens_[0]);
    dml_ = result_.kind != StatementKind::kDefinition;
    if (server_) CheckServerStatement();
    out_offsets_.assign(end_ + 1, 0);
    before_.assign(end_, std::string());
    after_.assign(end_, std::string());
    result_.sql.reserve(sql_.size() + 16);
    MatchParentheses();
    if (dml_) {
      PlanOperators("&", Operators::kConcatLeft, Operators::kConcatRight,
                    server_ ? "pg_temp.vx_concat(" : "vx_concat(");
      PlanOperators("\\", Operators::kDivideLeft, Operators::kDivideRight,
                    server_ ? "pg_temp.vx_intdiv(" : "vx_intdiv(");
      PlanComparisons();
      PlanSortTerms();
      if (server_) PlanBareConditions();
    }

    size_t i = 0;
    if (result_.kind == StatementKind::kDelete) i = SkipDeleteTarget();
    if (tokens_[0].IsWord("CREATE") && end_ > 1 && tokens_[1].IsWord("TABLE")) {
      TranslateCreateTable();
    } else if (tokens_[0].IsWord("ALTER")) {
      TranslateAlterTable();
    } else {
      TranslateRange(i, end_);
    }
    out_offsets_[end_] = result_.sql.size();
    if (!limit_.empty()) Emit(" LIMIT " + limit_, false);
    if (result_.kind == StatementKind::kSelect) {
      AnalyzeSource();
      FindTypedAggregates();
    }
    return std::move(result_);
  }

 private:
  static StatementKind Kind(const Token& first) {
    if (first.IsWord("SELECT")) return StatementKind::kSelect;
    if (first.IsWord("INSERT")) return StatementKind::kInsert;
    if (first.IsWord("UPDATE")) return StatementKind::kUpdate;
    if (first.IsWord("DELETE")) return StatementKind::kDelete;
    if (first.IsWord("CREATE") || first.IsWord("DROP") ||
        first.IsWord("ALTER")) {
      return StatementKind::kDefinition;
    }
    RaiseDao(kErrInvalidStatement);
  }

  const Token* At(size_t i) const { return i < end_ ? &tokens_[i] : nullptr; }

  // What the server refuses before anything is translated: a name of its
  // catalogue, a call of a function the dialect does not know, a SELECT
  // that makes a table.  So no statement can read or change the session's
  // settings, which keep a file's rows apart from the others'.
  void CheckServerStatement() const {
    for (size_t i = 0; i < end_; ++i) {
      const Token& t = tokens_[i];
      if (!IsNameToken(t)) continue;
      const std::string name = NameText(t);
      if (IsServerCatalogName(name)) RaiseDao(kErrTableNotFound, {name});
      if (t.kind != TokenKind::kWord || !BeforeParen(i)) continue;
      if (AfterDot(i)) RaiseDao(kErrUndefinedFunction, {name});
      if (IsGroupWord(t) || NamesTableBefore(i) || IsDefinitionWord(t)) continue;
      if (IsDateFunction(i)) continue;
      bool known = false;
      for (const auto& [dialect, server] : kServerFunctions) {
        known = known || t.IsWord(dialect);
      }
      if (!known) RaiseDao(kErrUndefinedFunction, {name});
    }
    if (result_.kind == StatementKind::kSelect) {
      for (size_t i = 0; i < end_; ++i) {
        if (tokens_[i].IsWord("INTO")) {
          RaiseDao(kErrInvalidStatement);
        }
      }
    }
  }

  // Whether the word at `i` names a table whose column list follows:
  // INSERT INTO T (, CREATE TABLE T (, REFERENCES T (, ON T (.
  bool NamesTableBefore(size_t i) const {
    if (i == 0) return false;
    const Token& before = tokens_[i - 1];
    return before.IsWord("INTO") || before.IsWord("TABLE") ||
           before.IsWord("REFERENCES") || (!dml_ && before.IsWord("ON"));
  }

  // Words of a table definition before "(": a type with its size, a key.
  bool IsDefinitionWord(const Token& t) const {
    return !dml_ && (DialectType(t.text) || t.IsWord("KEY") ||
                     t.IsWord("UNIQUE") || t.IsWord("CHECK") ||
                     t.IsWord("DECIMAL") || t.IsWord("NUMERIC") ||
                     t.IsWord("VARCHAR") || t.IsWord("CHAR"));
  }

  // A name as the target names it: the server keeps names in small
  // letters, as it folds names without quotes.
  std::string Name(std::string_view name) const {
    return QuoteName(server_ ? LCase(name) : std::string(name));
  }
  bool AfterDot(size_t i) const { return i > 0 && tokens_[i - 1].IsSymbol("."); }
  bool BeforeParen(size_t i) const {
    return At(i + 1) != nullptr && At(i + 1)->IsSymbol("(");
  }

  // Appends `text`, after a blank when `space` says so or when the text
  // would otherwise join the output's last token.
  void Emit(std::string_view text, bool space) {
    if (text.empty()) return;
    if (!result_.sql.empty() &&
        (space || Joins(result_.sql.back(), text.front()) ||
         JoinsAtPoint(result_.sql, text))) {
      result_.sql += ' ';
    }
    result_.sql += text;
  }

  // ---- The parentheses ----

  // Pairs the parentheses, records each token's depth and the group that
  // encloses it; raises 3360 for nesting beyond kMaxNesting.
  void MatchParentheses() {
    match_.assign(end_, kNone);
    enclosing_.assign(end_, kNone);
    depth_.assign(end_, 0);
    std::vector<size_t> open;
    for (size_t k = 0; k < end_; ++k) {
      depth_[k] = open.size();
      enclosing_[k] = open.empty() ? kNone : open.back();
      if (tokens_[k].IsSymbol("(")) {
        if (open.size() == kMaxNesting) RaiseDao(kErrTooComplex);
        open.push_back(k);
      } else if (tokens_[k].IsSymbol(")") && !open.empty()) {
        match_[k] = open.back();
        match_[open.back()] = k;
        open.pop_back();
      }
    }
  }

  // ---- Operands of "&" and "\" ----

  // The end (exclusive) of the primary value that starts at `j`: a value,
  // a name (qualified), a call or a group in parentheses.
  size_t PrimaryEnd(size_t j) const {
    if (j >= end_) return kNone;
    if (tokens_[j].IsSymbol("(")) {
      return match_[j] == kNone ? kNone : match_[j] + 1;
    }
    if (!IsOperandToken(tokens_[j])) return kNone;
    const bool word = tokens_[j].kind == TokenKind::kWord;
    ++j;
    while (j + 1 < end_ && tokens_[j].IsSymbol(".") && IsNameToken(tokens_[j + 1])) {
      j += 2;
    }
    if (word && j < end_ && tokens_[j].IsSymbol("(")) {
      return match_[j] == kNone ? kNone : match_[j] + 1;
    }
    return j;
  }

  // The start of the primary value that ends with token `j`.
  size_t PrimaryBegin(size_t j) const {
    if (tokens_[j].IsSymbol(")")) {
      size_t open = match_[j];
      if (open == kNone) return kNone;
      if (open > 0 && tokens_[open - 1].kind == TokenKind::kWord &&
          !IsKeyword(tokens_[open - 1])) {
        --open;  // a call
      }
      return open;
    }
    if (!IsOperandToken(tokens_[j])) return kNone;
    while (j >= 2 && tokens_[j - 1].IsSymbol(".") && IsNameToken(tokens_[j - 2])) {
      j -= 2;
    }
    return j;
  }

  // The end (exclusive) of the operand that starts at `j`.
  size_t OperandEnd(size_t j, Operators inside) const {
    for (;;) {
      while (j < end_ && IsSign(tokens_[j])) ++j;
      j = PrimaryEnd(j);
      if (j == kNone) return kNone;
      if (j + 1 < end_ && IsOperatorOf(tokens_[j], inside)) {
        ++j;
        continue;
      }
      return j;
    }
  }

  // The start of the operand that ends with token `j`.
  size_t OperandBegin(size_t j, Operators inside) const {
    for (;;) {
      size_t start = PrimaryBegin(j);
      if (start == kNone) return kNone;
      // Signs before it that are no binary operators.
      while (start > 0 && IsSign(tokens_[start - 1]) &&
             (start == 1 || !EndsOperand(tokens_[start - 2]))) {
        --start;
      }
      if (start >= 2 && IsOperatorOf(tokens_[start - 1], inside) &&
          EndsOperand(tokens_[start - 2])) {
        j = start - 2;
        continue;
      }
      return start;
    }
  }

  // Rewrites each binary `op` "a op b" as "function(a, b)", so that it keeps
  // the dialect's precedence and its handling of Null.  An operator whose
  // operands it cannot tell stays for SQLite to judge.
  void PlanOperators(std::string_view op, Operators left_set,
                     Operators right_set, const char* function) {
    for (size_t i = 1; i + 1 < end_; ++i) {
      if (!tokens_[i].IsSymbol(op)) continue;
      const size_t begin = OperandBegin(i - 1, left_set);
      const size_t end = OperandEnd(i + 1, right_set);
      if (begin == kNone || end == kNone) continue;
      before_[begin] += function;
      replacement_[i] = ",";
      after_[end - 1] += ")";
    }
  }

  // ---- Comparisons without regard to case ----

  // Gives the operand that ends with token `last` the collation `name`,
  // unless it has one.
  void AddCollation(size_t last, const char* name) {
    if (!EndsOperand(tokens_[last])) return;
    if (last > 0 && tokens_[last - 1].IsWord("COLLATE")) return;
    after_[last] += " COLLATE ";
    if (server_ && name != kServerLikeCollation) name = kServerFoldingCollation;
    after_[last] += name;
  }

  bool IsNumber(size_t k) const {
    return k < end_ && (tokens_[k].kind == TokenKind::kNumber ||
                        IsBooleanWord(tokens_[k]) ||
                        (IsSign(tokens_[k]) && k + 1 < end_ &&
                         tokens_[k + 1].kind == TokenKind::kNumber));
  }

  // Whether Now(), Date() or Time() starts at `k`.
  bool IsDateFunction(size_t k) const {
    return k + 2 < end_ && tokens_[k + 1].IsSymbol("(") &&
           tokens_[k + 2].IsSymbol(")") &&
           (tokens_[k].IsWord("NOW") || tokens_[k].IsWord("DATE") ||
            tokens_[k].IsWord("TIME"));
  }

  // Whether the literal at `k` is the whole right operand of a comparison.
  bool IsWholeOperand(size_t k) const {
    const Token* next = At(k + 1);
    if (next == nullptr) return true;
    if (next->IsWord("COLLATE") || next->IsWord("ESCAPE") ||
        next->IsWord("MOD") || next->IsSymbol(".") || next->IsSymbol("(")) {
      return false;
    }
    return next->kind != TokenKind::kSymbol || next->IsSymbol(")") ||
           next->IsSymbol(",") || IsEquality(*next);
  }

  // The assignments of SET clauses, whose "=" compares nothing.
  std::vector<bool> Assignments() const {
    std::vector<bool> assignment(end_, false);
    for (size_t i = 0; i < end_; ++i) {
      if (!tokens_[i].IsWord("SET")) continue;
      bool expect = true;
      for (size_t k = i + 1; k < end_ && depth_[k] >= depth_[i]; ++k) {
        if (depth_[k] != depth_[i]) continue;
        const Token& t = tokens_[k];
        if (t.IsWord("WHERE") || t.IsWord("FROM") || t.IsWord("RETURNING")) break;
        if (t.IsSymbol(",")) {
          expect = true;
        } else if (t.IsSymbol("=") && expect) {
          assignment[k] = true;
          expect = false;
        }
      }
    }
    return assignment;
  }

  // Texts compare without regard to case, the German letters included.  A
  // literal text whose letters are all ASCII compares under the column's
  // own NOCASE (which an index on it serves); one with other letters
  // compares with "=" against its case forms under NOCASE (served the
  // same); everything else through the folding collation.  Numbers need
  // none.
  void PlanComparisons() {
    const std::vector<bool> assignment = Assignments();
    for (size_t i = 1; i + 1 < end_; ++i) {
      const Token& t = tokens_[i];
      if (IsComparison(t) && !assignment[i]) {
        PlanComparison(i);
      } else if (t.IsWord("IN") || t.IsWord("BETWEEN")) {
        size_t left = i - 1;
        if (tokens_[left].IsWord("NOT")) {
          if (left == 0) continue;
          --left;
        }
        if (t.IsWord("BETWEEN") ? IsNumber(i + 1) : NumbersOnly(i + 1)) continue;
        // The server refuses a collation for anything but a text: only
        // where a text literal says the operand is one.
        if (server_ && !(t.IsWord("BETWEEN") ? i + 1 < end_ && IsText(tokens_[i + 1])
                                              : HasText(i + 1))) {
          continue;
        }
        AddCollation(left, kFoldingCollation);
      } else if (server_ && t.IsWord("LIKE")) {
        // The server's LIKE heeds case: ILIKE under a collation that knows
        // the German letters.
        size_t left = i - 1;
        if (tokens_[left].IsWord("NOT") && left > 0) --left;
        AddCollation(left, kServerLikeCollation);
        replacement_[i] = "ILIKE";
      }
    }
  }

  // Whether the group in parentheses at `open` holds numbers only.
  bool NumbersOnly(size_t open) const {
    if (open >= end_ || match_[open] == kNone) return false;
    for (size_t k = open + 1; k < match_[open]; ++k) {
      const Token& t = tokens_[k];
      if (t.kind != TokenKind::kNumber && !IsSign(t) && !t.IsSymbol(",")) {
        return false;
      }
    }
    return true;
  }

  // Whether the group in parentheses at `open` holds a text literal.
  bool HasText(size_t open) const {
    if (open >= end_ || match_[open] == kNone) return false;
    for (size_t k = open + 1; k < match_[open]; ++k) {
      if (IsText(tokens_[k])) return true;
    }
    return false;
  }

  void PlanComparison(size_t i) {
    const size_t right = i + 1;
    if (IsNumber(right)) return;
    if (server_ && !IsText(tokens_[right])) {
      PlanServerColumnComparison(i);
      return;
    }
    if (At(right + 1) != nullptr && At(right + 1)->IsWord("COLLATE")) return;
    if (server_) {
      PlanServerComparison(i);
      return;
    }
    const Token& r = tokens_[right];
    // A date is digits and marks, ordered alike under every collation; an
    // index on a date column (BINARY) serves it.
    if (r.kind == TokenKind::kDate || IsDateFunction(right)) return;
    // NOCASE orders the letters outside ASCII after all ASCII: only for
    // equality is it the engine's folding.
    if (!IsText(r) || !IsEquality(tokens_[i])) {
      AddCollation(i - 1, kFoldingCollation);
      return;
    }
    std::optional<std::vector<std::string>> variants = LiteralCaseForms(r);
    if (variants && variants->size() == 1) {
      AddCollation(i - 1, "NOCASE");
    } else if (variants && IsWholeOperand(right) &&
               EndsOperand(tokens_[i - 1]) &&
               !(i > 1 && tokens_[i - 2].IsWord("COLLATE"))) {
      AddCollation(i - 1, "NOCASE");
      replacement_[i] =
          tokens_[i].IsSymbol("=") || tokens_[i].IsSymbol("==") ? "IN (" : "NOT IN (";
      variants_[right] = std::move(*variants);
    } else {
      AddCollation(i - 1, kFoldingCollation);
    }
  }

  // The end of the name (a column, T.column) that starts at `first`, or
  // kNone when no plain name starts there.
  size_t PlainNameEnd(size_t first) const {
    if (first >= end_ || !IsNameToken(tokens_[first]) || IsKeyword(tokens_[first]) ||
        IsBooleanWord(tokens_[first])) {
      return kNone;
    }
    size_t last = first;
    while (last + 2 < end_ && tokens_[last + 1].IsSymbol(".") &&
           IsNameToken(tokens_[last + 2])) {
      last += 2;
    }
    return last;
  }

  // On the server a column compared with another column ("a.x = b.y",
  // "a < b") compares by the session's sort key, which folds a text and
  // leaves any other value as it is; the server does not say which
  // columns hold texts.
  void PlanServerColumnComparison(size_t i) {
    size_t left = i - 1;
    if (left >= 2 && tokens_[left - 1].IsSymbol(".")) left -= 2;
    if (PlainNameEnd(left) != i - 1) return;
    if (left > 0) {
      const Token& before = tokens_[left - 1];
      if (!(IsKeyword(before) || before.IsSymbol("(") || before.IsSymbol(","))) return;
    }
    const size_t last = PlainNameEnd(i + 1);
    if (last == kNone || !IsWholeOperand(last) ||
        (At(last + 1) != nullptr && At(last + 1)->IsWord("COLLATE"))) {
      return;
    }
    before_[left] += "pg_temp.vx_sort(";
    after_[i - 1] += ")";
    before_[i + 1] += "pg_temp.vx_sort(";
    after_[last] += ")";
  }

  // On the server a text compared for equality with a literal is compared
  // exactly with each of the literal's case forms, which an index serves;
  // other comparisons fold case through the session's collation.
  void PlanServerComparison(size_t i) {
    const size_t right = i + 1;
    if (IsEquality(tokens_[i]) && IsWholeOperand(right) && EndsOperand(tokens_[i - 1]) &&
        !(i > 1 && tokens_[i - 2].IsWord("COLLATE"))) {
      std::optional<std::vector<std::string>> forms =
          LiteralCaseForms(tokens_[right], Target::kServer);
      if (forms && forms->size() == 1) return;  // no letter with case forms
      if (forms) {
        replacement_[i] =
            tokens_[i].IsSymbol("=") || tokens_[i].IsSymbol("==") ? "IN (" : "NOT IN (";
        variants_[right] = std::move(*forms);
        return;
      }
    }
    AddCollation(i - 1, kFoldingCollation);
  }

  // A condition that is one column or constant ("WHERE Flag", "NOT Flag",
  // "WHEN Flag"): the server takes only a boolean there, so it becomes
  // "(Flag <> 0)", which is what the dialect means by it.
  void PlanBareConditions() {
    std::vector<bool> between_and(end_, false);
    for (size_t i = 0; i < end_; ++i) {
      if (!tokens_[i].IsWord("BETWEEN")) continue;
      for (size_t k = i + 1; k < end_ && depth_[k] >= depth_[i]; ++k) {
        if (depth_[k] == depth_[i] && tokens_[k].IsWord("AND")) {
          between_and[k] = true;
          break;
        }
      }
    }
    for (size_t i = 0; i + 1 < end_; ++i) {
      const Token& t = tokens_[i];
      const bool starts = t.IsWord("WHERE") || t.IsWord("HAVING") || t.IsWord("ON") ||
                          t.IsWord("WHEN") || t.IsWord("NOT") || t.IsWord("OR") ||
                          (t.IsWord("AND") && !between_and[i]);
      if (!starts) continue;
      size_t first = i + 1;
      if (tokens_[first].IsWord("NOT")) continue;  // its own turn
      size_t last = first;
      const Token& operand = tokens_[first];
      if (!(IsNameToken(operand) && !IsKeyword(operand)) && !IsBooleanWord(operand)) {
        continue;
      }
      // A qualified name: T.Flag.
      while (last + 2 < end_ && tokens_[last + 1].IsSymbol(".") &&
             IsNameToken(tokens_[last + 2])) {
        last += 2;
      }
      const Token* next = At(last + 1);
      if (next != nullptr &&
          !(next->IsWord("AND") || next->IsWord("OR") || next->IsWord("THEN") ||
            next->IsWord("ORDER") || next->IsWord("GROUP") || next->IsWord("HAVING") ||
            next->IsWord("UNION") || next->IsSymbol(")"))) {
        continue;
      }
      // "NOT" of "IS NOT", "NOT IN" and the like precedes no condition.
      if (t.IsWord("NOT") && i > 0 && tokens_[i - 1].IsWord("IS")) continue;
      // WHEN of "CASE x WHEN value" names a value.
      if (t.IsWord("WHEN") && InSimpleCase(i)) continue;
      before_[first] += "(";
      after_[last] += " <> 0)";
    }
  }

  // Whether the WHEN at `when` belongs to a CASE that compares a value
  // ("CASE x WHEN 1 ..."), not to one of conditions.
  bool InSimpleCase(size_t when) const {
    int open = 0;  // CASEs ended by END between here and `when`
    for (size_t k = when; k-- > 0;) {
      if (depth_[k] != depth_[when]) continue;
      if (tokens_[k].IsWord("END")) ++open;
      if (tokens_[k].IsWord("CASE") && open-- == 0) {
        return k + 1 < end_ && !tokens_[k + 1].IsWord("WHEN");
      }
    }
    return false;
  }

  // Each term of ORDER BY and GROUP BY sorts and groups texts through the
  // folding collation, unless it names a collation of its own.
  void PlanSortTerms() {
    for (size_t i = 1; i < end_; ++i) {
      if (!tokens_[i].IsWord("BY") ||
          !(tokens_[i - 1].IsWord("ORDER") || tokens_[i - 1].IsWord("GROUP"))) {
        continue;
      }
      const size_t depth = depth_[i];
      size_t term = i + 1;  // start of the current term, kNone after it
      for (size_t k = i + 1;; ++k) {
        const bool closes = k >= end_ || depth_[k] < depth ||
                            (depth_[k] == depth && tokens_[k].IsSymbol(")"));
        if (!closes && (depth_[k] != depth || !EndsSortTerm(tokens_[k]))) continue;
        if (term != kNone && k > term && (closes || !tokens_[k].IsWord("COLLATE"))) {
          if (!server_) {
            AddCollation(k - 1, kFoldingCollation);
          } else if (tokens_[i - 1].IsWord("GROUP")) {
            if (PlainNameEnd(term) == k - 1) PlanServerGroupTerm(i, term, k - 1);
          } else if (tokens_[i - 1].IsWord("ORDER") &&
                     !(k == term + 1 && tokens_[term].kind == TokenKind::kNumber)) {
            // The server sorts by the session's sort key, which folds a
            // text and leaves any other value as it is.
            before_[term] += "pg_temp.vx_sort(";
            after_[k - 1] += ")";
          }
        }
        if (closes) break;
        const Token& t = tokens_[k];
        if (t.IsSymbol(",")) {
          term = k + 1;
        } else if (EndsFromClause(t) || t.IsWord("OFFSET")) {
          break;
        } else {
          term = kNone;
        }
      }
    }
  }

  // Whether the names from `a` and from `b` on, `count` tokens each, are
  // the same name.
  bool SameName(size_t a, size_t b, size_t count) const {
    for (size_t k = 0; k < count; ++k) {
      const Token& x = tokens_[a + k];
      const Token& y = tokens_[b + k];
      if (x.IsSymbol(".") != y.IsSymbol(".")) return false;
      if (!x.IsSymbol(".") && LCase(x.kind == TokenKind::kName ? Unquote(x) : std::string(x.text)) !=
                                  LCase(y.kind == TokenKind::kName ? Unquote(y) : std::string(y.text))) {
        return false;
      }
    }
    return true;
  }

  // On the server a query groups a column (tokens `first` to `last`, after
  // the BY at `by`) by the session's sort key, which folds a text and
  // leaves any other value as it is; the server does not say which columns
  // hold texts.  The select list's items that are that column then show
  // one of the group's values (min), under the column's name.
  void PlanServerGroupTerm(size_t by, size_t first, size_t last) {
    const size_t depth = depth_[by];
    size_t select = kNone;
    for (size_t k = by; k-- > 0;) {
      if (depth_[k] < depth) break;
      if (depth_[k] == depth && tokens_[k].IsWord("SELECT")) {
        select = k;
        break;
      }
    }
    if (select == kNone) return;
    before_[first] += "pg_temp.vx_sort(";
    after_[last] += ")";
    const size_t length = last - first + 1;
    size_t item = select + 1;
    for (size_t k = select + 1; k < by; ++k) {
      if (depth_[k] != depth) continue;
      const bool ends = tokens_[k].IsSymbol(",") || tokens_[k].IsWord("FROM");
      if (!ends) continue;
      // The item's name, perhaps after DISTINCT, then nothing or its alias.
      size_t a = item;
      while (a < k && (tokens_[a].IsWord("DISTINCT") || tokens_[a].IsWord("DISTINCTROW"))) ++a;
      if (a + 1 < k && tokens_[a].IsWord("TOP")) a += 2;
      if (a + length <= k && PlainNameEnd(a) == a + length - 1 && SameName(a, first, length)) {
        const size_t rest = a + length;
        const bool alias = rest < k;
        if (!alias || tokens_[rest].IsWord("AS") || (rest + 1 == k && IsNameToken(tokens_[rest]))) {
          before_[a] += "min(";
          after_[a + length - 1] += ")";
          if (!alias) {
            const Token& name = tokens_[a + length - 1];
            after_[a + length - 1] +=
                " AS " + Name(name.kind == TokenKind::kName ? Unquote(name)
                                                          : std::string(name.text));
          }
        }
      }
      if (tokens_[k].IsWord("FROM")) break;
      item = k + 1;
    }
  }

  // "DELETE * FROM X" and "DELETE X.* FROM X" name no columns in SQLite.
  size_t SkipDeleteTarget() {
    Emit("DELETE", false);
    out_offsets_[0] = 0;
    if (At(1) != nullptr && At(1)->IsSymbol("*")) return 2;
    if (At(3) != nullptr && At(2)->IsSymbol(".") && At(3)->IsSymbol("*") &&
        (At(1)->kind == TokenKind::kWord || At(1)->kind == TokenKind::kName)) {
      return 4;
    }
    return 1;
  }

  void TranslateRange(size_t from, size_t to) {
    for (size_t i = from; i < to;) i = TranslateAt(i, to);
  }

  // Translates the token at `i` (and those that belong to it) with what is
  // planned before and after them; returns the index of the next one.
  size_t TranslateAt(size_t i, size_t to) {
    bool space = tokens_[i].space_before;
    out_offsets_[i] =
        result_.sql.size() + (space && !result_.sql.empty() ? 1 : 0);
    if (!before_[i].empty()) {
      Emit(before_[i], space);
      space = false;
    }
    const size_t next = TranslateToken(i, to, space);
    for (size_t k = i; k < next; ++k) Emit(after_[k], false);
    return next;
  }

  size_t TranslateToken(size_t i, size_t to, bool space) {
    const Token& t = tokens_[i];
    const bool after_comparison = dml_ && i > 0 && IsComparison(tokens_[i - 1]);

    if (auto replaced = replacement_.find(i); replaced != replacement_.end()) {
      const bool comma = replaced->second == ",";
      Emit(replaced->second, !comma);
      return i + 1;
    }
    if (auto forms = variants_.find(i); forms != variants_.end()) {
      std::string marks;
      for (std::string& form : forms->second) {
        Parameter p;
        p.kind = Parameter::Kind::kText;
        p.text = std::move(form);
        result_.parameters.push_back(std::move(p));
        if (origins_ != nullptr) origins_->push_back({i, false, true});
        marks += marks.empty() ? "?" : ", ?";
      }
      Emit(marks + ")", false);
      return i + 1;
    }
    if (after_comparison && IsLiteral(i)) {
      AddParameter(i, false);
      Emit("?", space);
      return i + 1;
    }
    // A signed number after a comparison: "= -1".
    if (after_comparison && IsSign(t) && i + 1 < to &&
        tokens_[i + 1].kind == TokenKind::kNumber) {
      AddParameter(i + 1, t.IsSymbol("-"));
      Emit("?", space);
      out_offsets_[i + 1] = result_.sql.size();
      return i + 2;
    }
    switch (t.kind) {
      case TokenKind::kWord:
        return TranslateWord(i, to, space);
      case TokenKind::kName:
        Emit(Name(Unquote(t)), space);
        return i + 1;
      case TokenKind::kString:
        Emit(t.text, space);
        return i + 1;
      case TokenKind::kDoubleString:
        Emit(QuoteText(Unquote(t)), space);
        return i + 1;
      case TokenKind::kDate:
        Emit((server_ ? "TIMESTAMP " : "") + QuoteText(DateText(t)), space);
        return i + 1;
      case TokenKind::kNumber:
        Emit(t.text, space);
        return i + 1;
      case TokenKind::kSymbol:
        Emit(t.IsSymbol("&") ? "||" : server_ && t.IsSymbol("==") ? "=" : t.text,
             space);
        return i + 1;
    }
    return i + 1;
  }

  // A value written in the statement: a text, number, date or boolean
  // constant (not a table's name before ".").
  bool IsLiteral(size_t i) const {
    const Token& t = tokens_[i];
    if (IsBooleanWord(t)) {
      return !AfterDot(i) && !(At(i + 1) != nullptr && At(i + 1)->IsSymbol("."));
    }
    return IsText(t) || t.kind == TokenKind::kNumber || t.kind == TokenKind::kDate;
  }

  size_t TranslateWord(size_t i, size_t to, bool space) {
    const Token& t = tokens_[i];
    if (AfterDot(i)) {
      EmitWord(t, space);
      return i + 1;
    }
    if (IsLiteral(i)) {  // a boolean constant
      // In parentheses where a minus would read as one of a subtraction:
      // "x-True", "1 True".
      const bool binary = i > 0 && (EndsOperand(tokens_[i - 1]) || IsSign(tokens_[i - 1]));
      Emit(IsTrueWord(t) ? (binary ? "(-1)" : "-1") : "0", space);
      return i + 1;
    }
    if (t.IsWord("DISTINCTROW")) {
      Emit("DISTINCT", space);
      return i + 1;
    }
    if (t.IsWord("MOD")) {
      Emit("%", space);
      return i + 1;
    }
    if (t.IsWord("TOP") && dml_ && i + 1 < to &&
        tokens_[i + 1].kind == TokenKind::kNumber &&
        (tokens_[i - 1].IsWord("SELECT") || tokens_[i - 1].IsWord("DISTINCT") ||
         tokens_[i - 1].IsWord("DISTINCTROW") || tokens_[i - 1].IsWord("ALL"))) {
      TakeTop(i);
      out_offsets_[i + 1] = result_.sql.size();
      return i + 2;
    }
    if (BeforeParen(i)) {
      // Functions of the dialect without arguments: Now(), Date(), Time().
      if (i + 2 < to && tokens_[i + 2].IsSymbol(")")) {
        const char* replacement = nullptr;
        if (server_) {
          if (t.IsWord("NOW")) replacement = "LOCALTIMESTAMP(0)";
          if (t.IsWord("DATE")) replacement = "CAST(CURRENT_DATE AS timestamp)";
          if (t.IsWord("TIME")) {
            replacement = "(TIMESTAMP '1899-12-30' + LOCALTIME(0))";
          }
        } else if (t.IsWord("NOW")) {
          replacement = "(datetime('now','localtime'))";
        }
        if (!server_ && t.IsWord("DATE")) {
          replacement = "(date('now','localtime')||' 00:00:00')";
        }
        if (!server_ && t.IsWord("TIME")) {
          replacement = "('1899-12-30 '||time('now','localtime'))";
        }
        if (replacement != nullptr) {
          Emit(replacement, space);
          out_offsets_[i + 1] = out_offsets_[i + 2] = result_.sql.size();
          return i + 3;
        }
      }
      // Statements call the connection's UCase, LCase and Nz; a table's
      // definition, stored in the file, only SQLite's own functions.
      if (server_ && !IsGroupWord(t) && !NamesTableBefore(i) &&
          !IsDefinitionWord(t)) {
        for (const auto& [dialect, server] : kServerFunctions) {
          if (t.IsWord(dialect)) {
            Emit(server, space);
            return i + 1;
          }
        }
      }
      static constexpr std::pair<std::string_view, std::string_view>
          kRenamed[] = {{"LEN", "length"},   {"MID", "substr"},
                        {"UCASE", "upper"},  {"LCASE", "lower"},
                        {"NZ", "coalesce"}};
      for (const auto& [dialect, sqlite] : kRenamed) {
        if (!server_ && t.IsWord(dialect) &&
            (!dml_ || dialect == "LEN" || dialect == "MID")) {
          Emit(sqlite, space);
          return i + 1;
        }
      }
    }
    EmitWord(t, space);
    return i + 1;
  }

  // A word that names something.  On the server a name with letters beyond
  // ASCII is quoted in small letters, as the server folds only ASCII.
  void EmitWord(const Token& t, bool space) {
    const bool plain = std::all_of(t.text.begin(), t.text.end(), [](char c) {
      return static_cast<unsigned char>(c) < 0x80;
    });
    Emit(server_ && !plain && !IsKeyword(t) ? Name(t.text) : std::string(t.text),
         space);
  }

  // TOP n: LIMIT n at the end of the statement or of its subquery.
  void TakeTop(size_t i) {
    const std::string count(tokens_[i + 1].text);
    const size_t open = enclosing_[i];
    if (open == kNone) {
      limit_ = count;
    } else if (match_[open] != kNone) {
      after_[match_[open] - 1] += " LIMIT " + count;
    } else {
      RaiseDao(kErrSyntax, {sql_});
    }
  }

  std::string DateText(const Token& t) {
    std::optional<std::string> text =
        DateLiteralText(t.text.substr(1, t.text.size() - 2));
    if (!text) RaiseDao(kErrSyntax, {sql_});
    return *text;
  }

  void AddParameter(size_t i, bool negate) {
    std::optional<Parameter> p = LiteralParameter(tokens_[i], negate);
    if (!p) RaiseDao(kErrSyntax, {sql_});
    result_.parameters.push_back(std::move(*p));
    if (origins_ != nullptr) origins_->push_back({i, negate, false});
  }

  // ---- Table definitions ----

  [[noreturn]] void FailDefinition() const { RaiseDao(kErrTableDefinition); }

  void TranslateCreateTable() {
    size_t open = 0;
    while (open < end_ && !tokens_[open].IsSymbol("(")) ++open;
    TranslateRange(0, open);
    if (open == end_) return;
    const size_t close = match_[open];
    if (close == kNone) FailDefinition();
    Emit("(", tokens_[open].space_before);

    // Items of the column list, split at commas outside parentheses.
    std::vector<std::pair<size_t, size_t>> items;
    size_t start = open + 1;
    for (size_t k = open + 1; k < close; ++k) {
      if (depth_[k] == depth_[open] + 1 && tokens_[k].IsSymbol(",")) {
        items.emplace_back(start, k);
        start = k + 1;
      }
    }
    items.emplace_back(start, close);

    std::string counter_column;
    for (const auto& [from, to] : items) {
      if (from == to) FailDefinition();
      if (!IsTableConstraintWord(tokens_[from]) && IsCounterColumn(from, to)) {
        counter_column = NameText(tokens_[from]);
      }
    }
    bool first = true;
    for (const auto& [from, to] : items) {
      if (IsTableConstraintWord(tokens_[from]) &&
          IsPrimaryKeyOf(from, to, counter_column)) {
        continue;  // the counter is the primary key already
      }
      if (!first) Emit(",", false);
      first = false;
      if (IsTableConstraintWord(tokens_[from])) {
        TranslateRange(from, to);
      } else {
        TranslateColumn(from, to);
      }
    }
    Emit(")", tokens_[close].space_before);
    TranslateRange(close + 1, end_);
  }

  // ALTER TABLE t ADD [COLUMN] definition.
  void TranslateAlterTable() {
    size_t add = 0;
    while (add < end_ && !tokens_[add].IsWord("ADD")) ++add;
    size_t column = add + 1;
    if (column < end_ && tokens_[column].IsWord("COLUMN")) ++column;
    if (column >= end_ || IsTableConstraintWord(tokens_[column])) {
      TranslateRange(0, end_);
      return;
    }
    TranslateRange(0, column);
    TranslateColumn(column, end_);
  }

  // The size of a type in parentheses at `open` within [.., to): one or two
  // whole numbers from 1 to 65535 ("TEXT(50)", "DECIMAL(18, 4)"), and for a
  // text at most 255 characters.  Raises 3290 for anything else.
  std::string SizeText(size_t open, size_t to, bool text) const {
    const size_t close = match_[open];
    if (close == kNone || close >= to) FailDefinition();
    std::string size = "(";
    size_t numbers = 0;
    for (size_t k = open + 1; k < close; ++k) {
      const bool number_place = (k - open) % 2 == 1;
      const Token& t = tokens_[k];
      if (!number_place) {
        if (!t.IsSymbol(",")) FailDefinition();
        size += ", ";
        continue;
      }
      uint32_t value = 0;
      auto [end, error] =
          std::from_chars(t.text.data(), t.text.data() + t.text.size(), value);
      if (t.kind != TokenKind::kNumber || error != std::errc() ||
          end != t.text.data() + t.text.size() || value == 0 ||
          value > (text ? 255u : 65535u)) {
        FailDefinition();
      }
      size += t.text;
      ++numbers;
    }
    if (numbers == 0 || numbers > 2 || (close - open) % 2 != 0) FailDefinition();
    return size + ")";
  }

  // The type of the column definition [from, to): its words up to the first
  // constraint.  Sets *words_end past them.
  std::string TypeWords(size_t from, size_t to, size_t* words_end) const {
    std::string text;
    size_t k = from + 1;
    while (k < to && tokens_[k].kind == TokenKind::kWord &&
           !IsConstraintWord(tokens_[k])) {
      if (!text.empty()) text += ' ';
      text += tokens_[k].text;
      ++k;
    }
    *words_end = k;
    return text;
  }

  // The dialect's type of the column definition [from, to), with its size;
  // sets *type_end past the type and *size to its size in parentheses.
  std::optional<ColumnType> TypeOf(size_t from, size_t to, size_t* words_end,
                                   size_t* type_end, std::string* size) const {
    std::string words = TypeWords(from, to, words_end);
    *type_end = *words_end;
    size->clear();
    std::optional<ColumnType> type = DialectType(words);
    if (!type) return std::nullopt;
    if (*words_end < to && tokens_[*words_end].IsSymbol("(")) {
      const bool text = type->type == kTypeText;
      *size = SizeText(*words_end, to, text);
      *type_end = match_[*words_end] + 1;
      type = DialectType(words + *size);
    }
    return type;
  }

  bool IsCounterColumn(size_t from, size_t to) const {
    size_t words_end, type_end;
    std::string size;
    std::optional<ColumnType> type = TypeOf(from, to, &words_end, &type_end, &size);
    return type && type->counter;
  }

  // Whether [from, to) is "[CONSTRAINT n] PRIMARY KEY (column)".
  bool IsPrimaryKeyOf(size_t from, size_t to, const std::string& column) const {
    if (column.empty()) return false;
    size_t k = from;
    if (tokens_[k].IsWord("CONSTRAINT")) k += 2;
    if (k + 5 != to || !tokens_[k].IsWord("PRIMARY") ||
        !tokens_[k + 1].IsWord("KEY") || !tokens_[k + 2].IsSymbol("(") ||
        !tokens_[k + 4].IsSymbol(")")) {
      return false;
    }
    return EqualsNoCase(NameText(tokens_[k + 3]), column);
  }

  void TranslateColumn(size_t from, size_t to) {
    if (!IsNameToken(tokens_[from])) FailDefinition();
    TranslateAt(from, to);  // the column's name
    size_t words_end, type_end;
    std::string size;
    std::optional<ColumnType> type = TypeOf(from, to, &words_end, &type_end, &size);
    if (!type) {
      TranslateRange(from + 1, to);
      return;
    }
    const bool space = from + 1 < to && tokens_[from + 1].space_before;
    bool has_default = false, has_collation = false;
    for (size_t k = type_end; k < to; ++k) {
      has_default = has_default || tokens_[k].IsWord("DEFAULT");
      has_collation = has_collation || tokens_[k].IsWord("COLLATE");
    }
    if (server_) {
      Emit(ServerColumnType(*type), space);
      if (type->type == kTypeBoolean && !has_default) Emit("DEFAULT 0", true);
      if (type->counter) {
        TranslateCounterConstraints(type_end, to);
      } else {
        TranslateRange(type_end, to);
      }
      return;
    }
    if (type->counter) {
      Emit("INTEGER PRIMARY KEY AUTOINCREMENT", space);
      TranslateCounterConstraints(type_end, to);
      return;
    }
    const bool text = type->type == kTypeText || type->type == kTypeMemo ||
                      type->type == kTypeGuid;
    // The words of the type name, and " TEXT" where SQLite would not give
    // the name text affinity.
    std::string words = TypeWords(from, to, &words_end);
    if (text && !HasTextAffinity(words)) words += " TEXT";
    Emit(words + size, space);
    if (text && !has_collation) Emit("COLLATE NOCASE", true);
    if (type->type == kTypeBoolean && !has_default) Emit("DEFAULT 0", true);
    TranslateRange(type_end, to);
  }

  // The server's type for a column of the dialect's type: booleans stay
  // -1 and 0 in a small integer, so that the dialect's True compares, of
  // the database's type vx_janein, which tells them from numbers.
  static std::string ServerColumnType(const ColumnType& type) {
    if (type.counter) return "integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY";
    switch (type.type) {
      case kTypeBoolean:
        return "vx_janein";
      case kTypeByte:
      case kTypeInteger:
        return "smallint";
      case kTypeLong:
        return "integer";
      case kTypeCurrency:
        return "numeric(19,4)";
      case kTypeSingle:
        return "real";
      case kTypeDouble:
        return "double precision";
      case kTypeDate:
        return "timestamp(0)";
      case kTypeText:
        return "varchar(" + std::to_string(type.size > 0 ? type.size : 255) + ")";
      case kTypeLongBinary:
      case kTypeVarBinary:
        return "bytea";
      case kTypeMemo:
      case kTypeGuid:
        return "text";
    }
    return "text";
  }

  static bool HasTextAffinity(std::string_view words) {
    const std::string upper = UCase(words);
    return upper.find("CHAR") != std::string::npos ||
           upper.find("CLOB") != std::string::npos ||
           upper.find("TEXT") != std::string::npos;
  }

  // The constraints of a counter column without its PRIMARY KEY, which the
  // counter's own definition carries.
  void TranslateCounterConstraints(size_t from, size_t to) {
    for (size_t k = from; k < to;) {
      if (tokens_[k].IsWord("CONSTRAINT") && k + 2 < to &&
          tokens_[k + 2].IsWord("PRIMARY")) {
        k += 2;
        continue;
      }
      if (tokens_[k].IsWord("PRIMARY") && k + 1 < to &&
          tokens_[k + 1].IsWord("KEY")) {
        k += 2;
        continue;
      }
      k = TranslateAt(k, to);
    }
  }

  // ---- What a SELECT reads ----

  // The top-level FROM of a SELECT, or kNone.
  size_t TopLevelFrom() const {
    for (size_t k = 1; k < end_; ++k) {
      if (depth_[k] == 0 && tokens_[k].IsWord("FROM")) return k;
    }
    return kNone;
  }

  void AnalyzeSource() {
    size_t from = 0;
    for (size_t k = 1; k < end_; ++k) {
      const Token& t = tokens_[k];
      if (IsAggregate(t) && BeforeParen(k) && from == 0) return;
      if (depth_[k] != 0) continue;
      if (t.IsWord("DISTINCT") || t.IsWord("DISTINCTROW") ||
          t.IsWord("GROUP") || t.IsWord("HAVING") || t.IsWord("UNION") ||
          t.IsWord("EXCEPT") || t.IsWord("INTERSECT") || t.IsWord("INTO")) {
        return;
      }
      if (t.IsWord("FROM") && from == 0) from = k;
    }
    if (from == 0 || from + 1 >= end_) return;

    // FROM name [[AS] alias], then WHERE, ORDER BY, LIMIT or the end.
    size_t k = from + 1;
    const Token& table = tokens_[k];
    if (table.kind != TokenKind::kWord && table.kind != TokenKind::kName) return;
    if (At(k + 1) != nullptr && At(k + 1)->IsSymbol(".")) return;  // schema
    std::string qualifier = Name(NameText(table));
    ++k;
    if (At(k) != nullptr && At(k)->IsWord("AS")) ++k;
    if (At(k) != nullptr && !EndsFromItem(*At(k))) {
      const Token& alias = *At(k);
      if (alias.kind != TokenKind::kWord && alias.kind != TokenKind::kName) {
        return;
      }
      qualifier = Name(NameText(alias));
      ++k;
    }
    if (At(k) != nullptr && !EndsFromItem(*At(k))) return;

    SingleTableSource source;
    source.table = NameText(table);
    source.qualifier = std::move(qualifier);
    source.from_offset = out_offsets_[from];
    size_t list_start = out_offsets_[1];
    source.select_list =
        result_.sql.substr(list_start, source.from_offset - list_start);
    const size_t item_start = out_offsets_[from + 1];
    source.table_reference =
        result_.sql.substr(item_start, out_offsets_[k] - item_start);
    source.select_list_parameters = CountMarks(list_start, source.from_offset);
    result_.source = std::move(source);
  }

  // Items of the select list that are Max, Min or Sum of one column: their
  // values have the column's type (a date stays a date, currency currency).
  void FindTypedAggregates() {
    const size_t from = TopLevelFrom();
    if (from == kNone) return;
    size_t end = from + 1;
    while (end < end_ && !(depth_[end] == 0 && EndsFromClause(tokens_[end]))) ++end;
    size_t item = 0, start = 1;
    for (size_t k = 1; k <= from; ++k) {
      if (k < from && !(depth_[k] == 0 && tokens_[k].IsSymbol(","))) continue;
      size_t a = start;
      if (a + 1 < k && tokens_[a].IsWord("TOP")) a += 2;
      while (a < k && (tokens_[a].IsWord("DISTINCT") || tokens_[a].IsWord("ALL") ||
                       tokens_[a].IsWord("DISTINCTROW"))) {
        ++a;
      }
      if (a + 2 < k && (tokens_[a].IsWord("MAX") || tokens_[a].IsWord("MIN") ||
                        tokens_[a].IsWord("SUM")) &&
          tokens_[a + 1].IsSymbol("(") && match_[a + 1] != kNone) {
        const size_t close = match_[a + 1];
        const size_t arg = a + 2;
        const bool column =
            (close == arg + 1 && IsNameToken(tokens_[arg])) ||
            (close == arg + 3 && IsNameToken(tokens_[arg]) &&
             tokens_[arg + 1].IsSymbol(".") && IsNameToken(tokens_[arg + 2]));
        const size_t after = close + 1;
        const bool alone = after == k || (after + 1 == k && IsNameToken(tokens_[after])) ||
                           (after + 2 == k && tokens_[after].IsWord("AS"));
        if (column && alone && !IsKeyword(tokens_[arg])) {
          TypedAggregate typed;
          typed.position = item;
          typed.sum = tokens_[a].IsWord("SUM");
          typed.column = Trimmed(out_offsets_[arg], out_offsets_[close]);
          result_.typed_aggregates.push_back(std::move(typed));
        }
      }
      ++item;
      start = k + 1;
    }
    if (!result_.typed_aggregates.empty()) {
      result_.from_clause = Trimmed(out_offsets_[from], out_offsets_[end]);
    }
  }

  std::string Trimmed(size_t from, size_t to) const {
    std::string_view text = std::string_view(result_.sql).substr(from, to - from);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return std::string(text);
  }

  // Parameters marked in the translated text between two offsets.  Texts
  // in the output are quoted, so a "?" outside quotes is a parameter.
  size_t CountMarks(size_t from, size_t to) const {
    size_t count = 0;
    bool quoted = false;
    char quote = 0;
    for (size_t k = from; k < to; ++k) {
      char c = result_.sql[k];
      if (quoted) {
        if (c == quote) quoted = false;
      } else if (c == '\'' || c == '"') {
        quoted = true;
        quote = c;
      } else if (c == '?') {
        ++count;
      }
    }
    return count;
  }

  std::string_view sql_;
  std::vector<Token> tokens_;
  size_t end_ = 0;
  bool dml_ = true;
  // Per token: the matching parenthesis, the "(" of the group around it,
  // the number of groups around it.
  std::vector<size_t> match_, enclosing_, depth_;
  // Text emitted before and after a token's translation, and tokens
  // translated otherwise: "&" as ",", "=" as "IN (", the literal of such an
  // "IN (" as the parameters of its case forms.
  std::vector<std::string> before_, after_;
  std::map<size_t, std::string> replacement_;
  std::map<size_t, std::vector<std::string>> variants_;
  // Offset in the output where each token's translation starts.
  std::vector<size_t> out_offsets_;
  std::string limit_;
  TranslatedStatement result_;
  bool server_;
  std::vector<ParameterOrigin>* origins_;  // when the caller asks for them
};

// ---- Date literals ----

struct DateReader {
  std::string_view s;
  size_t i = 0;

  void SkipBlanks() {
    while (i < s.size() && s[i] == ' ') ++i;
  }
  bool Peek(char c) const { return i < s.size() && s[i] == c; }
  // A number of up to `max_digits` digits; -1 when there is none.
  int Number(int* digits) {
    int value = 0;
    *digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && *digits < 4) {
      value = value * 10 + (s[i] - '0');
      ++i;
      ++*digits;
    }
    return *digits == 0 ? -1 : value;
  }
};

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

}  // namespace

TranslatedStatement TranslateStatement(std::string_view sql, Target target) {
  return Translator(sql, Tokenize(sql), target, nullptr).Run();
}

TranslatedStatement TranslateTokens(std::string_view sql, std::vector<Token> tokens,
                                    Target target,
                                    std::vector<ParameterOrigin>* origins) {
  if (origins != nullptr) origins->clear();
  return Translator(sql, std::move(tokens), target, origins).Run();
}

std::optional<std::vector<std::string>> LiteralCaseForms(const Token& token, Target target) {
  return target == Target::kServer ? AllCaseVariants(Unquote(token), kMaxCaseVariants)
                                   : CaseVariants(Unquote(token), kMaxCaseVariants);
}

std::optional<Parameter> LiteralParameter(const Token& t, bool negate) {
  Parameter p;
  if (IsBooleanWord(t)) {
    p.integer = IsTrueWord(t) ? -1 : 0;
  } else if (t.kind == TokenKind::kNumber) {
    const char* first = t.text.data();
    const char* last = first + t.text.size();
    int64_t integer = 0;
    auto [end, error] = std::from_chars(first, last, integer);
    if (error == std::errc() && end == last) {
      p.integer = negate ? -integer : integer;
    } else {
      double real = 0;
      auto [real_end, real_error] = std::from_chars(first, last, real);
      if (real_error != std::errc() || real_end != last) return std::nullopt;
      p.kind = Parameter::Kind::kReal;
      p.real = negate ? -real : real;
    }
  } else if (t.kind == TokenKind::kDate) {
    std::optional<std::string> text =
        DateLiteralText(t.text.substr(1, t.text.size() - 2));
    if (!text) return std::nullopt;
    p.kind = Parameter::Kind::kText;
    p.text = std::move(*text);
  } else {
    p.kind = Parameter::Kind::kText;
    p.text = Unquote(t);
  }
  return p;
}

std::vector<std::string_view> SplitScript(std::string_view script) {
  std::vector<std::string_view> statements;
  size_t start = 0, end = 0;
  bool has_content = false;
  for (const Token& t : Tokenize(script)) {
    if (t.IsSymbol(";")) {
      if (has_content) statements.push_back(script.substr(start, end - start));
      has_content = false;
    } else {
      if (!has_content) start = t.offset;
      end = t.offset + t.text.size();
      has_content = true;
    }
  }
  if (has_content) statements.push_back(script.substr(start, end - start));
  return statements;
}

std::string NumberParameters(std::string_view sql, int first) {
  std::string numbered;
  numbered.reserve(sql.size() + 8);
  char quote = 0;
  for (char c : sql) {
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == '?') {
      numbered += '$';
      numbered += std::to_string(first++);
      continue;
    }
    numbered += c;
  }
  return numbered;
}

std::string QuoteName(std::string_view name) {
  std::string quoted = "\"";
  for (char c : name) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

std::optional<std::string> DateLiteralText(std::string_view content) {
  DateReader r{content};
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
  int digits = 0;
  r.SkipBlanks();
  const size_t start = r.i;
  int first = r.Number(&digits);
  if (first < 0) return std::nullopt;
  if (r.Peek('/') || r.Peek('-') || r.Peek('.')) {
    const char separator = r.s[r.i++];
    int first_digits = digits;
    int second_part = r.Number(&digits);
    if (second_part < 0 || !r.Peek(separator)) return std::nullopt;
    ++r.i;
    int third = r.Number(&digits);
    if (third < 0) return std::nullopt;
    if (first_digits == 4) {
      year = first, month = second_part, day = third;
    } else {
      month = first, day = second_part, year = third;
      if (digits <= 2) year += year < 30 ? 2000 : 1900;
    }
    if (year < 100 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month)) {
      return std::nullopt;
    }
    r.SkipBlanks();
  } else {
    r.i = start;  // the time alone
  }
  if (r.i < content.size()) {
    hour = r.Number(&digits);
    if (hour < 0 || !r.Peek(':')) return std::nullopt;
    ++r.i;
    minute = r.Number(&digits);
    if (minute < 0) return std::nullopt;
    if (r.Peek(':')) {
      ++r.i;
      second = r.Number(&digits);
      if (second < 0) return std::nullopt;
    }
    r.SkipBlanks();
    std::string_view rest = content.substr(r.i);
    auto is = [&](std::string_view word) {
      return rest.size() == 2 && (rest[0] | 0x20) == word[0] &&
             (rest[1] | 0x20) == word[1];
    };
    if (is("am") || is("pm")) {
      if (hour < 1 || hour > 12) return std::nullopt;
      hour = hour % 12 + (is("pm") ? 12 : 0);
      r.i = content.size();
    }
    r.SkipBlanks();
    if (r.i != content.size() || hour > 23 || minute > 59 || second > 59) {
      return std::nullopt;
    }
  }
  return FormatDateTime(DateFromParts(year, month, day, hour, minute, second));
}

}  // namespace vx::dao
