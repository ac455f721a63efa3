#include "translate/po_file.h"

#include <cstdio>
#include <map>
#include <tuple>

#include "platform/text.h"
#include "vx_taluvek/error.h"

namespace vx {

namespace {

// ---- Writing ----

void AppendEscaped(std::string* out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '\\': *out += "\\\\"; break;
      case '"': *out += "\\\""; break;
      case '\n': *out += "\\n"; break;
      case '\t': *out += "\\t"; break;
      case '\r': *out += "\\r"; break;
      default: {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
          char octal[8];
          std::snprintf(octal, sizeof octal, "\\%03o", byte);
          *out += octal;
        } else {
          *out += c;
        }
      }
    }
  }
}

// `keyword` and its quoted text; a text that goes on after a line feed is
// written as one quoted line per line, as translators' tools do.
void AppendField(std::string* out, std::string_view keyword,
                 std::string_view text) {
  *out += keyword;
  const size_t line_feed = text.find('\n');
  if (line_feed == std::string_view::npos || line_feed + 1 == text.size()) {
    *out += " \"";
    AppendEscaped(out, text);
    *out += "\"\n";
    return;
  }
  *out += " \"\"\n";
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    end = end == std::string_view::npos ? text.size() : end + 1;
    *out += '"';
    AppendEscaped(out, text.substr(start, end - start));
    *out += "\"\n";
    start = end;
  }
}

// ---- Reading ----

class PoReader {
 public:
  explicit PoReader(std::string_view text) : text_(text) {}

  PoCatalog Read() {
    if (text_.starts_with("\xEF\xBB\xBF")) text_.remove_prefix(3);
    size_t pos = 0;
    while (pos < text_.size()) {
      size_t end = text_.find('\n', pos);
      if (end == std::string_view::npos) end = text_.size();
      std::string_view line = text_.substr(pos, end - pos);
      if (line.ends_with('\r')) line.remove_suffix(1);
      ++line_;
      ReadLine(line);
      pos = end + 1;
    }
    if (entry_started_) {
      if (field_ != Field::kTranslation) Fail("msgstr fehlt am Ende der Datei");
      Finish();
    }
    return std::move(catalog_);
  }

 private:
  enum class Field { kNone, kContext, kId, kTranslation };

  [[noreturn]] void Fail(const std::string& what) const {
    Raise(kErrMalformedCatalog, "Zeile " + std::to_string(line_) + ": " + what);
  }

  static std::string_view SkipBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
      s.remove_prefix(1);
    }
    return s;
  }

  void ReadLine(std::string_view line) {
    line = SkipBlanks(line);
    if (line.empty()) return;
    if (line.front() == '#') {
      ReadComment(line);
      return;
    }
    if (line.front() == '"') {
      if (field_ == Field::kNone) Fail("Text ohne msgid, msgstr oder msgctxt davor");
      *Target() += ReadString(line);
      return;
    }
    size_t word_end = 0;
    while (word_end < line.size() && line[word_end] != ' ' &&
           line[word_end] != '\t' && line[word_end] != '"') {
      ++word_end;
    }
    const std::string_view keyword = line.substr(0, word_end);
    const std::string_view rest = SkipBlanks(line.substr(word_end));
    if (keyword == "msgctxt") {
      if (field_ == Field::kTranslation) Finish();
      if (entry_started_) Fail("msgctxt nach msgctxt oder msgid");
      Start();
      entry_.has_context = true;
      field_ = Field::kContext;
    } else if (keyword == "msgid") {
      if (field_ == Field::kTranslation) Finish();
      if (field_ == Field::kId) Fail("msgid ohne msgstr davor");
      if (!entry_started_) Start();
      entry_.line = line_;
      field_ = Field::kId;
    } else if (keyword == "msgstr") {
      if (field_ == Field::kTranslation) Fail("msgstr zum zweiten Mal");
      if (field_ != Field::kId) Fail("msgstr ohne msgid davor");
      field_ = Field::kTranslation;
    } else if (keyword == "msgid_plural" || keyword.starts_with("msgstr[")) {
      Fail("Mehrzahlformen (" + std::string(keyword) +
           ") werden nicht unterstützt");
    } else {
      Fail("unbekanntes Schlüsselwort \"" + std::string(keyword) + "\"");
    }
    if (rest.empty() || rest.front() != '"') {
      Fail("nach " + std::string(keyword) + " fehlt der Text in Anführungszeichen");
    }
    *Target() = ReadString(rest);
  }

  void ReadComment(std::string_view line) {
    if (line.starts_with("#~")) return;  // obsolete entry
    if (field_ == Field::kTranslation) Finish();
    if (!line.starts_with("#,")) return;
    std::string_view flags = line.substr(2);
    while (!flags.empty()) {
      size_t comma = flags.find(',');
      std::string_view flag = flags.substr(0, comma);
      if (Trim(flag) == "fuzzy") pending_fuzzy_ = true;
      if (comma == std::string_view::npos) break;
      flags.remove_prefix(comma + 1);
    }
  }

  // The text of the quoted strings that make up `s`, joined, escapes
  // resolved.
  std::string ReadString(std::string_view s) const {
    std::string out;
    size_t i = 1;
    for (;;) {
      if (i >= s.size()) Fail("das schließende Anführungszeichen fehlt");
      const char c = s[i++];
      if (c == '"') break;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (i >= s.size()) Fail("das schließende Anführungszeichen fehlt");
      const char e = s[i++];
      switch (e) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'a': out += '\a'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'v': out += '\v'; break;
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case '\'': out += '\''; break;
        case '?': out += '?'; break;
        case 'x':
          out += static_cast<char>(ReadCode(s, &i, 16, 2));
          break;
        default:
          if (e < '0' || e > '7') {
            Fail(std::string("unbekannte Escape-Folge \\") + e);
          }
          --i;
          out += static_cast<char>(ReadCode(s, &i, 8, 3));
      }
    }
    std::string_view rest = SkipBlanks(s.substr(i));
    if (rest.empty()) return out;
    if (rest.front() != '"') Fail("Text nach dem schließenden Anführungszeichen");
    return out + ReadString(rest);
  }

  // The byte of an octal or hexadecimal escape, of 1 to `max_digits` digits.
  int ReadCode(std::string_view s, size_t* i, int base, int max_digits) const {
    int value = 0;
    int digits = 0;
    while (digits < max_digits && *i < s.size()) {
      const char c = s[*i];
      int digit = -1;
      if (c >= '0' && c <= '7') digit = c - '0';
      if (base == 16 && c >= '8' && c <= '9') digit = c - '0';
      if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
      if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
      if (digit < 0) break;
      value = value * base + digit;
      ++digits;
      ++*i;
    }
    if (digits == 0) Fail("Escape-Folge ohne Ziffern");
    if (value == 0) Fail("Nullzeichen im Text");
    if (value > 0xFF) Fail("Escape-Folge größer als ein Byte");
    return value;
  }

  std::string* Target() {
    switch (field_) {
      case Field::kContext: return &entry_.context;
      case Field::kId: return &entry_.id;
      default: return &entry_.translation;
    }
  }

  void Start() {
    entry_ = PoEntry{};
    entry_.fuzzy = pending_fuzzy_;
    pending_fuzzy_ = false;
    entry_started_ = true;
  }

  void Finish() {
    auto key = std::make_tuple(entry_.has_context, entry_.context, entry_.id);
    auto [it, inserted] = seen_.emplace(key, entry_.line);
    if (!inserted) {
      line_ = entry_.line;
      Fail("derselbe Eintrag wie in Zeile " + std::to_string(it->second));
    }
    if (!entry_.has_context && entry_.id.empty()) {
      catalog_.header = std::move(entry_.translation);
    } else {
      catalog_.entries.push_back(std::move(entry_));
    }
    entry_ = PoEntry{};
    entry_started_ = false;
    field_ = Field::kNone;
  }

  std::string_view text_;
  int line_ = 0;
  PoCatalog catalog_;
  PoEntry entry_;
  bool entry_started_ = false;
  bool pending_fuzzy_ = false;
  Field field_ = Field::kNone;
  std::map<std::tuple<bool, std::string, std::string>, int> seen_;
};

}  // namespace

std::string FormatPo(const PoCatalog& catalog) {
  std::string out;
  AppendField(&out, "msgid", "");
  AppendField(&out, "msgstr", catalog.header);
  for (const PoEntry& entry : catalog.entries) {
    out += '\n';
    if (entry.fuzzy) out += "#, fuzzy\n";
    if (entry.has_context) AppendField(&out, "msgctxt", entry.context);
    AppendField(&out, "msgid", entry.id);
    AppendField(&out, "msgstr", entry.translation);
  }
  return out;
}

PoCatalog ParsePo(std::string_view text) { return PoReader(text).Read(); }

std::string PoHeaderField(std::string_view header, std::string_view name) {
  for (size_t start = 0; start < header.size();) {
    size_t end = header.find('\n', start);
    if (end == std::string_view::npos) end = header.size();
    std::string_view line = header.substr(start, end - start);
    const size_t colon = line.find(':');
    if (colon != std::string_view::npos &&
        EqualsNoCase(Trim(line.substr(0, colon)), name)) {
      return Trim(line.substr(colon + 1));
    }
    start = end + 1;
  }
  return "";
}

}  // namespace vx
