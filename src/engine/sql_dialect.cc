#include "engine/sql_dialect.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "engine/dao_errors.h"
#include "engine/field_types.h"
#include "engine/sql_lexer.h"
#include "platform/text.h"
#include "vx_taluvek/variant.h"

namespace vx::dao {

namespace {

// The name a word or a bracketed name stands for.
std::string NameText(const Token& t) {
  return t.kind == TokenKind::kWord ? std::string(t.text) : Unquote(t);
}

bool IsComparison(const Token& t) {
  return t.kind == TokenKind::kSymbol &&
         (t.text == "=" || t.text == "<>" || t.text == "<" || t.text == ">" ||
          t.text == "<=" || t.text == ">=" || t.text == "!=" || t.text == "==");
}

bool IsLiteral(const Token& t) {
  return t.kind == TokenKind::kString || t.kind == TokenKind::kDoubleString ||
         t.kind == TokenKind::kNumber || t.kind == TokenKind::kDate ||
         t.IsWord("TRUE") || t.IsWord("FALSE");
}

std::string QuoteText(std::string_view text) {
  std::string quoted = "'";
  for (char c : text) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted + "'";
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

class Translator {
 public:
  Translator(std::string_view sql, std::vector<Token> tokens)
      : sql_(sql), tokens_(std::move(tokens)) {}

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
    out_offsets_.assign(end_ + 1, 0);
    result_.sql.reserve(sql_.size() + 16);

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
    if (!limit_.empty()) result_.sql += " LIMIT " + limit_;
    if (result_.kind == StatementKind::kSelect) AnalyzeSource();
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
  bool AfterDot(size_t i) const { return i > 0 && tokens_[i - 1].IsSymbol("."); }
  bool BeforeParen(size_t i) const {
    return At(i + 1) != nullptr && At(i + 1)->IsSymbol("(");
  }

  void Emit(std::string_view text, bool space) {
    if (space && !result_.sql.empty()) result_.sql += ' ';
    result_.sql += text;
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

  // Translates the token at `i` (and those that belong to it); returns the
  // index of the next one.
  size_t TranslateAt(size_t i, size_t to) {
    const Token& t = tokens_[i];
    out_offsets_[i] =
        result_.sql.size() + (t.space_before && !result_.sql.empty() ? 1 : 0);
    const bool dml = result_.kind != StatementKind::kDefinition;
    const bool after_comparison = i > 0 && IsComparison(tokens_[i - 1]);

    if (dml && after_comparison && IsLiteral(t)) {
      AddParameter(t, false);
      Emit("?", t.space_before);
      return i + 1;
    }
    // A signed number after a comparison: "= -1".
    if (dml && after_comparison && (t.IsSymbol("-") || t.IsSymbol("+")) &&
        i + 1 < to && tokens_[i + 1].kind == TokenKind::kNumber) {
      AddParameter(tokens_[i + 1], t.IsSymbol("-"));
      Emit("?", t.space_before);
      out_offsets_[i + 1] = result_.sql.size();
      return i + 2;
    }
    switch (t.kind) {
      case TokenKind::kWord:
        return TranslateWord(i, to);
      case TokenKind::kName:
        Emit(QuoteName(Unquote(t)), t.space_before);
        return i + 1;
      case TokenKind::kString:
        Emit(t.text, t.space_before);
        return i + 1;
      case TokenKind::kDoubleString:
        Emit(QuoteText(Unquote(t)), t.space_before);
        return i + 1;
      case TokenKind::kDate:
        Emit(QuoteText(DateText(t)), t.space_before);
        return i + 1;
      case TokenKind::kNumber:
        Emit(t.text, t.space_before);
        return i + 1;
      case TokenKind::kSymbol:
        Emit(t.IsSymbol("&") ? "||" : t.text, t.space_before);
        return i + 1;
    }
    return i + 1;
  }

  size_t TranslateWord(size_t i, size_t to) {
    const Token& t = tokens_[i];
    if (AfterDot(i)) {
      Emit(t.text, t.space_before);
      return i + 1;
    }
    if (t.IsWord("TRUE") || t.IsWord("FALSE")) {
      Emit(t.IsWord("TRUE") ? "-1" : "0", t.space_before);
      return i + 1;
    }
    if (t.IsWord("DISTINCTROW")) {
      Emit("DISTINCT", t.space_before);
      return i + 1;
    }
    if (t.IsWord("MOD")) {
      Emit("%", t.space_before);
      return i + 1;
    }
    if (t.IsWord("TOP") && result_.kind == StatementKind::kSelect &&
        i + 1 < to && tokens_[i + 1].kind == TokenKind::kNumber && i > 0 &&
        (tokens_[i - 1].IsWord("SELECT") || tokens_[i - 1].IsWord("DISTINCT") ||
         tokens_[i - 1].IsWord("DISTINCTROW") || tokens_[i - 1].IsWord("ALL")) &&
        Depth(i) == 0) {
      limit_ = std::string(tokens_[i + 1].text);
      out_offsets_[i + 1] = result_.sql.size();
      return i + 2;
    }
    if (BeforeParen(i)) {
      // Functions of the dialect without arguments: Now(), Date(), Time().
      if (i + 2 < to && tokens_[i + 2].IsSymbol(")")) {
        const char* replacement = nullptr;
        if (t.IsWord("NOW")) replacement = "(datetime('now','localtime'))";
        if (t.IsWord("DATE")) {
          replacement = "(date('now','localtime')||' 00:00:00')";
        }
        if (t.IsWord("TIME")) {
          replacement = "('1899-12-30 '||time('now','localtime'))";
        }
        if (replacement != nullptr) {
          Emit(replacement, t.space_before);
          out_offsets_[i + 1] = out_offsets_[i + 2] = result_.sql.size();
          return i + 3;
        }
      }
      static constexpr std::pair<std::string_view, std::string_view>
          kRenamed[] = {{"UCASE", "upper"},  {"LCASE", "lower"},
                        {"LEN", "length"},   {"MID", "substr"},
                        {"NZ", "coalesce"}};
      for (const auto& [dialect, sqlite] : kRenamed) {
        if (t.IsWord(dialect)) {
          Emit(sqlite, t.space_before);
          return i + 1;
        }
      }
    }
    Emit(t.text, t.space_before);
    return i + 1;
  }

  // Parenthesis depth just before token `i`.
  size_t Depth(size_t i) const {
    size_t depth = 0;
    for (size_t k = 0; k < i; ++k) {
      if (tokens_[k].IsSymbol("(")) ++depth;
      if (tokens_[k].IsSymbol(")") && depth > 0) --depth;
    }
    return depth;
  }

  std::string DateText(const Token& t) {
    std::optional<std::string> text =
        DateLiteralText(t.text.substr(1, t.text.size() - 2));
    if (!text) RaiseDao(kErrSyntax, {sql_});
    return *text;
  }

  void AddParameter(const Token& t, bool negate) {
    Parameter p;
    if (t.IsWord("TRUE") || t.IsWord("FALSE")) {
      p.integer = t.IsWord("TRUE") ? -1 : 0;
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
        if (real_error != std::errc() || real_end != last) {
          RaiseDao(kErrSyntax, {sql_});
        }
        p.kind = Parameter::Kind::kReal;
        p.real = negate ? -real : real;
      }
    } else {
      p.kind = Parameter::Kind::kText;
      p.text = t.kind == TokenKind::kDate ? DateText(t) : Unquote(t);
    }
    result_.parameters.push_back(std::move(p));
  }

  // ---- Table definitions ----

  // Index of the ")" that closes the "(" at `open`, or end_.
  size_t Closing(size_t open) const {
    size_t depth = 0;
    for (size_t k = open; k < end_; ++k) {
      if (tokens_[k].IsSymbol("(")) ++depth;
      if (tokens_[k].IsSymbol(")") && --depth == 0) return k;
    }
    return end_;
  }

  void TranslateCreateTable() {
    size_t open = 0;
    while (open < end_ && !tokens_[open].IsSymbol("(")) ++open;
    TranslateRange(0, open);
    if (open == end_) return;
    const size_t close = Closing(open);
    Emit("(", tokens_[open].space_before);

    // Items of the column list, split at commas outside parentheses.
    std::vector<std::pair<size_t, size_t>> items;
    size_t depth = 0, start = open + 1;
    for (size_t k = open + 1; k < close; ++k) {
      if (tokens_[k].IsSymbol("(")) ++depth;
      if (tokens_[k].IsSymbol(")")) --depth;
      if (depth == 0 && tokens_[k].IsSymbol(",")) {
        items.emplace_back(start, k);
        start = k + 1;
      }
    }
    items.emplace_back(start, close);

    std::string counter_column;
    for (const auto& [from, to] : items) {
      if (from < to && !IsTableConstraintWord(tokens_[from]) &&
          IsCounterColumn(from, to)) {
        counter_column = NameText(tokens_[from]);
      }
    }
    bool first = true;
    for (const auto& [from, to] : items) {
      if (from == to) continue;
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
    TranslateRange(std::min(close + 1, end_), end_);
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

  // The type of the column definition [from, to): its words up to the first
  // constraint, with a size in parentheses.  Sets *type_end past it.
  std::string TypeText(size_t from, size_t to, size_t* words_end,
                       size_t* type_end) const {
    std::string text;
    size_t k = from + 1;
    while (k < to && tokens_[k].kind == TokenKind::kWord &&
           !IsConstraintWord(tokens_[k])) {
      if (!text.empty()) text += ' ';
      text += tokens_[k].text;
      ++k;
    }
    *words_end = k;
    if (k < to && tokens_[k].IsSymbol("(")) {
      size_t close = std::min(Closing(k), to - 1);
      for (size_t j = k; j <= close; ++j) text += tokens_[j].text;
      k = close + 1;
    }
    *type_end = k;
    return text;
  }

  bool IsCounterColumn(size_t from, size_t to) const {
    size_t words_end, type_end;
    std::optional<ColumnType> type =
        DialectType(TypeText(from, to, &words_end, &type_end));
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
    TranslateAt(from, to);  // the column's name
    size_t words_end, type_end;
    const std::string type_text = TypeText(from, to, &words_end, &type_end);
    std::optional<ColumnType> type = DialectType(type_text);
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
    if (type->counter) {
      Emit("INTEGER PRIMARY KEY AUTOINCREMENT", space);
      TranslateCounterConstraints(type_end, to);
      return;
    }
    const bool text = type->type == kTypeText || type->type == kTypeMemo ||
                      type->type == kTypeGuid;
    // The words of the type name, and " TEXT" where SQLite would not give
    // the name text affinity.
    std::string words;
    for (size_t k = from + 1; k < words_end; ++k) {
      if (!words.empty()) words += ' ';
      words += tokens_[k].text;
    }
    if (text && !HasTextAffinity(words)) words += " TEXT";
    Emit(words, space);
    for (size_t k = words_end; k < type_end; ++k) {
      Emit(tokens_[k].text, false);
    }
    if (text && !has_collation) Emit("COLLATE NOCASE", true);
    if (type->type == kTypeBoolean && !has_default) Emit("DEFAULT 0", true);
    TranslateRange(type_end, to);
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

  // ---- Single-table sources ----

  void AnalyzeSource() {
    size_t depth = 0;
    size_t from = 0;
    for (size_t k = 1; k < end_; ++k) {
      const Token& t = tokens_[k];
      if (t.IsSymbol("(")) {
        ++depth;
        continue;
      }
      if (t.IsSymbol(")")) {
        if (depth > 0) --depth;
        continue;
      }
      if (IsAggregate(t) && BeforeParen(k) && from == 0) return;
      if (depth != 0) continue;
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
    std::string qualifier = QuoteName(NameText(table));
    ++k;
    if (At(k) != nullptr && At(k)->IsWord("AS")) ++k;
    if (At(k) != nullptr && !EndsFromItem(*At(k))) {
      const Token& alias = *At(k);
      if (alias.kind != TokenKind::kWord && alias.kind != TokenKind::kName) {
        return;
      }
      qualifier = QuoteName(NameText(alias));
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
  // Offset in the output where each token's translation starts.
  std::vector<size_t> out_offsets_;
  std::string limit_;
  TranslatedStatement result_;
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

TranslatedStatement TranslateStatement(std::string_view sql) {
  return Translator(sql, Tokenize(sql)).Run();
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
