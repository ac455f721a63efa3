#include "translate/trt.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string_view>

#include "config/developer_mode.h"
#include "config/directories.h"
#include "data/connections.h"
#include "platform/text.h"
#include "translate/language_db.h"
#include "translate/language_settings.h"
#include "translate/translation_state.h"
#include "vx_taluvek/components.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/host.h"

namespace vx {

namespace {

constexpr int32_t kExclamationSystemModal = 0x1030;
constexpr const char* kDeveloperTitle = "bIstEntwicklung";
constexpr const char* kCustomerWordingRequest = "GETKUNDENTRT4GERMAN";

// For the length of one translation: marks the thread's translation busy,
// and afterwards puts back the error the caller had pending, whatever the
// translation did to it.
class TranslationScope {
 public:
  explicit TranslationScope(TranslationState& state)
      : state_(state), caller_error_(Err()) {
    state_.busy = true;
  }
  ~TranslationScope() {
    state_.busy = false;
    Err() = caller_error_;
  }
  TranslationScope(const TranslationScope&) = delete;
  TranslationScope& operator=(const TranslationScope&) = delete;

 private:
  TranslationState& state_;
  PendingError caller_error_;
};

void ShowBox(const std::string& prompt, int32_t style,
             const std::string& title) {
  ResumeNext([&] { CurrentHost().MsgBox(prompt, style, title); });
}

// A diagnostic box, shown only in developer mode.
void DeveloperNotice(const std::string& prompt, const std::string& title) {
  if (bIstEntwicklung()) ShowBox(prompt, kSystemModal, title);
}

// The number a requested language starts with; 0 for none or one beyond
// the range of numbers.
double LanguageValue(const std::string& sprache) {
  return ResumeNextValue<double>([&] { return Val(sprache); }, 0);
}

// The translated language that `sprache` names (2, 3 or 4), or 0.  Only a
// whole number names one: anything else would make a column name such as
// "Uebersetzt2.5" out of it.
int RequestedLanguage(const std::string& sprache) {
  double value = LanguageValue(sprache);
  if (value < kFirstTranslatedLanguage || value > kLastTranslatedLanguage ||
      value != std::floor(value)) {
    return 0;
  }
  return static_cast<int>(value);
}

// Names of the program's controls, passed in by mistake, are never
// translated.
bool IsControlName(const std::string& text) {
  std::string first3 = Left(text, 3);
  if (first3 == "pop" || first3 == "txt") return true;
  std::string first5 = LCase(Left(text, 5));
  return first5 == "frame" || first5 == "label" || LCase(Left(text, 2)) == "lb";
}

bool IsSymbol(const std::string& text) {
  static constexpr std::array<std::string_view, 12> kSymbols = {
      "-", "---", "?", "*", "...", "<", ">", "&", "+", "=", "!", "%"};
  return std::find(kSymbols.begin(), kSymbols.end(), text) != kSymbols.end();
}

std::string ExecutableName() {
  return ResumeNextValue<std::string>(
      [] { return CurrentHost().ExecutableName(); }, "");
}

// ---- The translator component ----

// The thread's translator, created on first use; nullptr when it cannot be
// created (then it is not tried again on this thread).
Uebersetzer* ThreadTranslator(TranslationState& s) {
  if (!s.translator && !s.translator_failed) {
    ObjectRef object;
    ResumeNext([&] { object = CreateObject(Uebersetzer::kProgramId); });
    s.translator = std::dynamic_pointer_cast<Uebersetzer>(object);
    if (!s.translator) {
      s.translator_failed = true;
      DeveloperNotice(std::string("CreateObject - <") +
                          Uebersetzer::kProgramId + "> - schlug fehl",
                      kDeveloperTitle);
    } else {
      ResumeNext([] { ReadProgramLanguage(); });
      ResumeNext([&] { s.translator->SetTransKZ(s.program_language); });
    }
  }
  return s.translator.get();
}

std::string AskTranslator(Uebersetzer& translator, const std::string& text,
                          std::string& sprache, std::string& anwendung,
                          bool nicht_aufnehmen, const std::string& kunden_trt) {
  std::string argument = text;
  std::string result = text;
  ResumeNext([&] {
    result = translator.GetTrt(argument, sprache, anwendung,
                               !bAlwaysAddText() || nicht_aufnehmen,
                               Variant::Missing(), Variant::Missing(),
                               Variant::Missing(), kunden_trt);
  });
  return result;
}

// ---- The language database ----

// Whether the language database has anything to do: texts are recorded,
// or a translated language is wanted.
bool WantsLookup(const TranslationState& s, const std::string& sprache) {
  return bAlwaysAddText() || s.program_language >= kFirstTranslatedLanguage ||
         RequestedLanguage(sprache) != 0;
}

// The text as the language database keeps it, and what to put back around
// the translation.
struct SearchText {
  std::string text;  // trimmed, apostrophes as blanks, no trailing colon
  bool leading_blank = false;
  bool trailing_blank = false;
  bool colon = false;
};

SearchText PrepareSearchText(const std::string& text) {
  SearchText st;
  st.leading_blank = text.starts_with(' ');
  st.trailing_blank = text.ends_with(' ');
  // An apostrophe would end the statement's text literal early.
  st.text = Replace(Trim(text), "'", " ");
  if (st.text.ends_with(':')) {
    st.colon = true;
    st.text.pop_back();
    st.text = Trim(st.text);
  }
  return st;
}

// A decorated text's core, looked up where the whole text is not found,
// and the decorations to put back around its translation.
struct Decorations {
  std::string kern;
  std::string vorne;   // an accelerator "&" in front
  std::string hinten;  // a "!" or the number of "Preis12" behind
};

Decorations SplitDecorations(const std::string& text) {
  Decorations d;
  if (text.starts_with('&')) {
    d.kern = text.substr(1);
    d.vorne = "&";
  }
  if (text.ends_with('!')) {
    d.hinten = "!";
    d.kern = text.substr(0, text.size() - 1);
  }
  if (text.starts_with("Preis") && Len(text) >= 6) {
    std::string rest = Mid(text, 6);
    if (IsNumeric(Variant(rest))) {
      d.kern = "Preis";
      d.hinten = rest;
    }
  }
  return d;
}

RsHandle OpenSnapshot(dao::Database& db, const std::string& sql) {
  return ResumeNextValue<RsHandle>(
      [&] { return db.OpenRecordset(sql, Variant(dao::kOpenSnapshot)); },
      nullptr);
}

bool HasRow(dao::Recordset& rs) {
  return ResumeNextValue<bool>([&] { return !rs.Eof(); }, false);
}

// The value of a field of the current row; null when it cannot be read.
Variant ValueOrNull(dao::Recordset& rs, const Variant& field) {
  return ResumeNextValue<Variant>(
      [&] { return rs.Fields().Item(field).Value(); }, Variant::Null());
}

// Whether `value` is a text that is not empty; it goes to *text.
bool NonEmptyText(const Variant& value, std::string* text) {
  if (value.IsNull()) return false;
  std::string s = ResumeNextValue<std::string>([&] { return CStr(value); }, "");
  if (s.empty()) return false;
  *text = std::move(s);
  return true;
}

// Whether a table holds `key` as an original; nothing when the lookup
// failed, so that a failing database is not taken for a missing text.
std::optional<bool> HoldsOriginal(dao::Database& db, const char* table,
                                  const std::string& key) {
  RsHandle rs = OpenSnapshot(db, LookupStatement("ID", table, key, ""));
  if (!rs) return std::nullopt;
  std::optional<bool> found;
  ResumeNext([&] { found = !rs->Eof(); });
  CloseRs(rs);
  return found;
}

void RecordUnknownText(dao::Database& db, const std::string& text,
                       const std::string& anwendung) {
  ResumeNext([&] {
    db.Execute(RecordUnknownTextStatement(text, Now(), anwendung));
  });
}

// Where nothing is translated, only collected: records `key` unless one of
// the tables knows it already.
void CollectText(dao::Database& db, const std::string& key,
                 const std::string& anwendung, bool nicht_aufnehmen) {
  if (key.empty() || nicht_aufnehmen) return;
  std::optional<bool> known = HoldsOriginal(db, kOutputTable, key);
  if (known == false) known = HoldsOriginal(db, kLabelTable, key);
  if (known == false) RecordUnknownText(db, key, anwendung);
}

// What the lookups found for a text.
struct Lookup {
  bool found = false;       // a row of the text exists
  bool translated = false;  // `translation` is its translation
  std::string translation;
};

// Looks in Ausgaben: the first row's translation, or the second's where
// the first has none.  The decorations go back around a translation of the
// core.  False when the statement fails; its error is then pending.
bool LookUpOutputText(dao::Database& db, const std::string& column,
                      const SearchText& st, const Decorations& d,
                      Lookup* lookup) {
  RsHandle rs =
      OpenSnapshot(db, LookupStatement(column, kOutputTable, st.text, d.kern));
  if (!rs) return false;
  if (HasRow(*rs)) {
    lookup->found = true;
    Variant value = ValueOrNull(*rs, Variant(0));
    lookup->translated = NonEmptyText(value, &lookup->translation);
    // A duplicate row may hold what the first lacks.
    if (!lookup->translated && value.IsNull()) {
      ResumeNext([&] { rs->MoveNext(); });
      if (HasRow(*rs)) {
        lookup->translated =
            NonEmptyText(ValueOrNull(*rs, Variant(0)), &lookup->translation);
      }
    }
    std::string& t = lookup->translation;
    if (lookup->translated && !d.kern.empty()) {
      if (!d.vorne.empty() && !t.starts_with(d.vorne)) {
        t = d.vorne + t;
      } else if (!d.hinten.empty() && !t.ends_with(d.hinten)) {
        t += d.hinten;
      }
    }
  }
  CloseRs(rs);
  return true;
}

void LookUpLabel(dao::Database& db, const std::string& column,
                 const SearchText& st, const Decorations& d, Lookup* lookup) {
  RsHandle rs =
      OpenSnapshot(db, LookupStatement(column, kLabelTable, st.text, d.kern));
  if (rs && HasRow(*rs)) {
    lookup->found = true;
    lookup->translated =
        NonEmptyText(ValueOrNull(*rs, Variant(column)), &lookup->translation);
  }
  CloseRs(rs);
}

// Language 2 stands in for a language that lacks the text; an empty
// translation is taken as well (and then shows the German text).
void LookUpInLanguage2(dao::Database& db, const SearchText& st,
                       const Decorations& d, Lookup* lookup) {
  const std::string column = TranslationColumn(kFirstTranslatedLanguage);
  RsHandle rs =
      OpenSnapshot(db, LookupStatement(column, kOutputTable, st.text, d.kern));
  if (rs && HasRow(*rs)) {
    Variant value = ValueOrNull(*rs, Variant(column));
    if (!value.IsNull()) {
      lookup->translation =
          ResumeNextValue<std::string>([&] { return CStr(value); }, "");
      lookup->translated = true;
    }
  }
  CloseRs(rs);
}

// Puts back what the search text lost: the number or "!" behind the core,
// the colon and the blanks around the text.  The number or "!" goes before
// the colon and the blanks, not after them.
std::string Redecorate(std::string translation, const SearchText& st,
                       const Decorations& d) {
  if (!d.hinten.empty() && !translation.ends_with(d.hinten)) {
    translation += d.hinten;
  }
  if (st.colon && !translation.ends_with(':')) translation += ":";
  if (st.leading_blank) translation = " " + translation;
  if (st.trailing_blank) translation += " ";
  return translation;
}

std::string TranslateWithLanguageDb(TranslationState& s,
                                    const std::string& text,
                                    std::string& sprache,
                                    std::string& anwendung,
                                    bool nicht_aufnehmen) {
  if (!s.language_db && !s.language_db_missing) {
    ResumeNext([] { ReadProgramLanguage(); });
  }
  // The database has no column for a language beyond the last.
  if (s.program_language > kLastTranslatedLanguage) s.program_language = 0;
  if (!WantsLookup(s, sprache)) return text;
  if (!s.language_db && !s.language_db_missing) {
    OpenThreadLanguageDb();
    if (!s.language_db) {
      DeveloperNotice(GetVerzeichnis("SYSTEM", true, false) + kLanguageDbName +
                          " fehlt!!!",
                      kDeveloperTitle);
    }
  }
  if (!s.language_db) return text;
  dao::Database& db = *s.language_db;

  const int requested = RequestedLanguage(sprache);
  const int language = requested != 0 ? requested : s.program_language;
  sprache = std::to_string(language);
  if (IsSymbol(text) || IsNumeric(Variant(text))) return text;

  // The cache serves only the program's own language: a text asked in
  // another must not get the translation into the program's.
  const bool own_language = language == s.program_language;
  if (own_language && text == s.last_text && !s.last_translation.empty()) {
    return s.last_translation;
  }
  if (anwendung.empty()) anwendung = ExecutableName();
  s.last_text = own_language ? text : "";
  s.last_translation.clear();

  SearchText st = PrepareSearchText(text);
  Decorations d = SplitDecorations(st.text);
  if (LanguageUmlaute(st.text, true) && !d.kern.empty()) {
    LanguageUmlaute(d.kern, true);
  }
  if (st.text.find('&') != std::string::npos && d.kern.empty()) {
    d.kern = st.text;
  }
  d.kern = Replace(d.kern, "&", "");
  const std::string key = Trim(d.kern.empty() ? st.text : d.kern);

  if (bAlwaysAddText() && s.program_language < kFirstTranslatedLanguage) {
    CollectText(db, key, anwendung, nicht_aufnehmen);
    s.last_translation = text;
    Err().Clear();
    return text;
  }

  const std::string column = TranslationColumn(language);
  Lookup lookup;
  lookup.translation = text;
  Err().Clear();
  if (!LookUpOutputText(db, column, st, d, &lookup)) {
    ShowBox(Err().Description() + "\r\nTranslate-Error: " + st.text,
            kExclamationSystemModal, "function TRT");
  } else {
    if (!lookup.translated) LookUpLabel(db, column, st, d, &lookup);
    if (!lookup.translated && language > kFirstTranslatedLanguage) {
      LookUpInLanguage2(db, st, d, &lookup);
    }
    if (!lookup.translated && !lookup.found && bAlwaysAddText() &&
        !nicht_aufnehmen) {
      RecordUnknownText(db, key, anwendung);
    }
    ResumeNext([] { FreeDbLocks(); });
  }
  Err().Clear();

  std::string& t = lookup.translation;
  if (t.empty() || t == d.vorne || t == d.hinten) return text;
  if (t != text) t = Redecorate(t, st, d);
  s.last_translation = own_language ? t : "";
  return t;
}

std::string Translate(TranslationState& s, const std::string& text,
                      std::string& sprache, std::string& anwendung,
                      bool nicht_aufnehmen, const std::string& kundenschluessel,
                      int32_t kundennummer) {
  if (Trim(text).empty()) return text;
  const bool customer_wording = !kundenschluessel.empty() && kundennummer >= 1;
  // The program's language is read before it decides anything, so that a
  // thread's first texts are translated too.
  if (!s.program_language_read) ResumeNext([] { ReadProgramLanguage(); });
  if (!bAlwaysAddText() && s.program_language < kFirstTranslatedLanguage &&
      !(LanguageValue(sprache) > 1) && !customer_wording) {
    return text;
  }
  if (IsControlName(text)) return text;

  Uebersetzer* translator = ThreadTranslator(s);
  if (anwendung.empty()) anwendung = ExecutableName();
  if (translator != nullptr) {
    std::string kunden_trt;
    if (customer_wording) {
      kunden_trt = std::string(kCustomerWordingRequest) + "|" +
                   std::to_string(kundennummer) + "|" + kundenschluessel;
    }
    return AskTranslator(*translator, text, sprache, anwendung,
                         nicht_aufnehmen, kunden_trt);
  }
  // Developers are told that the translator is missing, and the language
  // database then does its work as on any other machine: developer mode
  // adds diagnostics but changes no result, and it is where the texts the
  // database lacks are recorded.
  DeveloperNotice(
      "Das Trt wurde gekürzt und wollte mit nachfolgendem Code "
      "weiterlaufen!!!!\nBitte die Entwicklung informieren!!!",
      "");
  return TranslateWithLanguageDb(s, text, sprache, anwendung, nicht_aufnehmen);
}

}  // namespace

std::string TRT(const std::string& text, std::string& sprache,
                std::string& anwendung, bool& nicht_aufnehmen,
                std::string& kundenschluessel, int32_t& kundennummer) {
  TranslationState& s = ThreadTranslationState();
  if (s.busy) return text;
  TranslationScope scope(s);
  try {
    return Translate(s, text, sprache, anwendung, nicht_aufnehmen,
                     kundenschluessel, kundennummer);
  } catch (const Error&) {
    return text;
  }
}

std::string TRT(const std::string& text) {
  std::string sprache, anwendung, kundenschluessel;
  bool nicht_aufnehmen = false;
  int32_t kundennummer = 0;
  return TRT(text, sprache, anwendung, nicht_aufnehmen, kundenschluessel,
             kundennummer);
}

}  // namespace vx
