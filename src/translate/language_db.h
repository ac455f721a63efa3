// The language database Language2.vx3db: where it lies, the thread's open
// handle on it, and the statements the translation runs on it.
//
// It lies in the suite's system directory (the directory key "SYSTEM") and
// holds the German texts in `Original` of two tables, Ausgaben (messages)
// and Beschriftung (labels), with their translations in the columns
// "Uebersetzt" followed by the language number 2, 3 or 4.

#ifndef VX_TRANSLATE_LANGUAGE_DB_H_
#define VX_TRANSLATE_LANGUAGE_DB_H_

#include <string>
#include <string_view>

#include "vx_taluvek/variant.h"

namespace vx {

inline constexpr const char* kLanguageDbName = "Language2.vx3db";
inline constexpr const char* kOutputTable = "Ausgaben";
inline constexpr const char* kLabelTable = "Beschriftung";
inline constexpr int kFirstTranslatedLanguage = 2;
inline constexpr int kLastTranslatedLanguage = 4;

// The full path of the language database, or "" when the settings name no
// directory "SYSTEM" (shown as an installation error unless `no_message`).
std::string LanguageDbPath(bool no_message);

// Opens the language database into the thread's translation state unless
// it is open or was found missing before: the file must exist, and OpenDb
// must open it (with the suite's password, errors not raised).  Marks it
// missing when either fails.  Never raises; leaves no error pending.
void OpenThreadLanguageDb();

// Rewrites the umlauts of `text` as UmlauteErsetzen does, unless the
// thread's language database is some other file than Language2.vx3db.  With
// `pruefen` that is found out first, opening the database when it is not
// open yet.  Answers whether anything was rewritten.  Never raises.
bool LanguageUmlaute(std::string& text, bool pruefen);

// The name of the translation column of `language`: "Uebersetzt" and the
// number.
std::string TranslationColumn(int language);

// "SELECT <column> FROM <table> WHERE Original = '<text>'", and, when
// `kern` is not empty, "or Original = '<kern>'": the rows of a text or of
// its core without decorations.  Both texts are trimmed of blanks.
std::string LookupStatement(std::string_view column, std::string_view table,
                            std::string_view text, std::string_view kern);

// The statement that records the unknown `text` in Ausgaben, with the time
// `when` (a date literal, month first, the year in four digits) and the
// name of the application that met it.
std::string RecordUnknownTextStatement(std::string_view text, Date when,
                                       std::string_view anwendung);

}  // namespace vx

#endif  // VX_TRANSLATE_LANGUAGE_DB_H_
