#include "engine/translation_cache.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/sql_lexer.h"

namespace vx::dao {

namespace {

// A token whose text the shape leaves out.
bool IsLiteral(const Token& t) {
  return IsText(t) || t.kind == TokenKind::kNumber || t.kind == TokenKind::kDate ||
         IsBooleanWord(t);
}

// The number of case forms of a text literal, 0 when it has too many.
size_t CaseFormCount(const Token& t, Target target) {
  // For a database file the letters beyond ASCII are what have forms of
  // their own: an ASCII text is its only form (the common case, worth
  // sparing the list).  On the server every letter has.
  if (target == Target::kFile) {
    bool ascii = true;
    for (char c : t.text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return 1;
  }
  const std::optional<std::vector<std::string>> forms = LiteralCaseForms(t, target);
  return forms ? forms->size() : 0;
}

// What one literal of a kept translation was, and what it gave.
struct LiteralUse {
  enum class Use {
    kWritten,    // no parameter: must be written the same
    kValue,      // one parameter, its value
    kCaseForms,  // its case forms, one parameter each
  };
  size_t token = 0;
  Use use = Use::kWritten;
  std::string written;       // kWritten
  bool negated = false;      // kValue
  size_t case_forms = 0;     // of a text that gave parameters
  size_t first_parameter = 0;
};

struct Shape {
  TranslatedStatement translation;
  std::vector<LiteralUse> literals;
};

// The shape of a statement for `target`, made in `shape`: each token's
// kind, whether blanks come before it, and its text, but only the sort of
// a literal.
void MakeShape(const std::vector<Token>& tokens, Target target, std::string& shape) {
  shape.assign(1, target == Target::kServer ? 'S' : 'F');
  for (const Token& t : tokens) {
    shape += static_cast<char>('a' + static_cast<int>(t.kind));
    shape += t.space_before ? ' ' : '.';
    if (IsLiteral(t)) {
      shape += IsBooleanWord(t) ? 'B' : 'L';
    } else {
      // The length first, so that no text can pass for two: in one byte
      // below 255, else as 255 and its digits (a name in brackets may be
      // long).
      if (t.text.size() < 255) {
        shape += static_cast<char>(t.text.size());
      } else {
        shape += static_cast<char>(255);
        shape += std::to_string(t.text.size());
        shape += ':';
      }
      shape += t.text;
    }
  }
}

// How the literals of `tokens` made the parameters of `translation`;
// nothing when a parameter comes from no literal.
std::optional<std::vector<LiteralUse>> LiteralUses(
    const std::vector<Token>& tokens, const TranslatedStatement& translation,
    const std::vector<ParameterOrigin>& origins, Target target) {
  if (origins.size() != translation.parameters.size()) return std::nullopt;
  std::vector<LiteralUse> uses;
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (!IsLiteral(tokens[i])) continue;
    LiteralUse use;
    use.token = i;
    use.written = std::string(tokens[i].text);
    uses.push_back(std::move(use));
  }
  for (size_t p = 0; p < origins.size(); ++p) {
    const ParameterOrigin& origin = origins[p];
    LiteralUse* use = nullptr;
    for (LiteralUse& candidate : uses) {
      if (candidate.token == origin.token) use = &candidate;
    }
    if (use == nullptr) return std::nullopt;
    if (use->use == LiteralUse::Use::kWritten) {
      use->written.clear();
      use->negated = origin.negated;
      use->first_parameter = p;
      if (origin.case_form) {
        use->use = LiteralUse::Use::kCaseForms;
        use->case_forms = 1;
      } else {
        use->use = LiteralUse::Use::kValue;
        if (IsText(tokens[origin.token])) {
          use->case_forms = CaseFormCount(tokens[origin.token], target);
        }
      }
    } else if (origin.case_form && use->use == LiteralUse::Use::kCaseForms &&
               use->first_parameter + use->case_forms == p) {
      ++use->case_forms;  // the next of its forms
    } else {
      return std::nullopt;  // a literal gives one value or its forms in a row
    }
  }
  return uses;
}

// The parameters the literals of `tokens` give in `shape`'s translation;
// nothing when they would make another translation.
bool FillParameters(const Shape& shape, const std::vector<Token>& tokens, Target target,
                    std::vector<Parameter>& parameters) {
  for (const LiteralUse& use : shape.literals) {
    const Token& t = tokens[use.token];
    switch (use.use) {
      case LiteralUse::Use::kWritten:
        if (t.text != use.written) return false;
        break;
      case LiteralUse::Use::kValue: {
        if (IsText(t) && CaseFormCount(t, target) != use.case_forms) return false;
        std::optional<Parameter> value = LiteralParameter(t, use.negated);
        if (!value) return false;
        parameters[use.first_parameter] = std::move(*value);
        break;
      }
      case LiteralUse::Use::kCaseForms: {
        std::optional<std::vector<std::string>> forms = LiteralCaseForms(t, target);
        if (!forms || forms->size() != use.case_forms) return false;
        for (size_t k = 0; k < forms->size(); ++k) {
          Parameter& p = parameters[use.first_parameter + k];
          p.kind = Parameter::Kind::kText;
          p.text = std::move((*forms)[k]);
        }
        break;
      }
    }
  }
  return true;
}

}  // namespace

TranslatedStatement TranslateKept(std::string_view sql, Target target) {
  if (sql.size() > kLongestKept) return TranslateStatement(sql, target);
  thread_local std::unordered_map<std::string, Shape> kept;
  thread_local std::string shape;  // grown once, not per statement
  std::vector<Token> tokens = Tokenize(sql);
  MakeShape(tokens, target, shape);
  if (auto found = kept.find(shape); found != kept.end()) {
    TranslatedStatement translated = found->second.translation;
    if (FillParameters(found->second, tokens, target, translated.parameters)) {
      return translated;
    }
  }
  std::vector<ParameterOrigin> origins;
  TranslatedStatement translated =
      TranslateTokens(sql, tokens, target, &origins);
  if (std::optional<std::vector<LiteralUse>> uses =
          LiteralUses(tokens, translated, origins, target)) {
    if (kept.size() >= kKeptShapes) kept.clear();
    kept.insert_or_assign(shape, Shape{translated, std::move(*uses)});
  }
  return translated;
}

}  // namespace vx::dao
