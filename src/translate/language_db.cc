#include "translate/language_db.h"

#include <cstdio>

#include "config/directories.h"
#include "data/connections.h"
#include "data/sql_text.h"
#include "platform/text.h"
#include "translate/translation_state.h"
#include "translate/umlauts.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/host.h"

namespace vx {

std::string LanguageDbPath(bool no_message) {
  std::string directory = GetVerzeichnis("SYSTEM", no_message, false);
  // Without a directory the bare name would be looked for in whatever
  // folder the program happens to run in.
  if (directory.empty()) return "";
  return directory + kLanguageDbName;
}

void OpenThreadLanguageDb() {
  TranslationState& s = ThreadTranslationState();
  if (s.language_db || s.language_db_missing) return;
  const std::string path = LanguageDbPath(false);
  if (path.empty() || !ResumeNext([&] { CurrentHost().GetAttr(path); })) {
    s.language_db_missing = true;
  } else {
    Variant connect(kBareConnect);
    s.language_db = OpenDb(path, false, Variant(false), connect, false);
    if (!s.language_db) s.language_db_missing = true;
  }
  Err().Clear();
}

bool LanguageUmlaute(std::string& text, bool pruefen) {
  TranslationState& s = ThreadTranslationState();
  if (pruefen && s.language_db_kind == kLanguageDbUnchecked) {
    OpenThreadLanguageDb();
    if (s.language_db) {
      std::string name;
      ResumeNext([&] { name = s.language_db->Name(); });
      Err().Clear();
      s.language_db_kind = UCase(Right(name, 15)) == "LANGUAGE2.VX3DB"
                               ? kLanguageDbExpected
                               : kLanguageDbOther;
    }
  }
  if (s.language_db_kind == kLanguageDbOther) return false;
  bool gefunden = false;
  UmlauteErsetzen(text, true, gefunden);
  return gefunden;
}

std::string TranslationColumn(int language) {
  return "Uebersetzt" + std::to_string(language);
}

std::string LookupStatement(std::string_view column, std::string_view table,
                            std::string_view text, std::string_view kern) {
  std::string sql = "SELECT " + std::string(column) + " FROM " +
                    std::string(table) + " WHERE Original = " +
                    SqlText(Trim(text));
  if (!kern.empty()) sql += " or Original = " + SqlText(Trim(kern));
  return sql;
}

std::string RecordUnknownTextStatement(std::string_view text, Date when,
                                       std::string_view anwendung) {
  // Month first, as the engine reads date literals.  The year has all four
  // digits: two would be read as 1930 to 2029 and misdate every text
  // recorded from 2030 on.
  DateParts p = SplitDate(when);
  char date[80];
  std::snprintf(date, sizeof date, "%02d/%02d/%04d %02d:%02d:%02d", p.month,
                p.day, p.year, p.hour, p.minute, p.second);
  return "INSERT INTO Ausgaben (Original,Aktualisierung,ApplicationName) "
         "VALUES (" +
         SqlText(text) + ",#" + date + "#," + SqlText(anwendung) + ")";
}

}  // namespace vx
