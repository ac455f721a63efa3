// What the translation tests share: an installation whose system directory
// holds a language database with given rows, and a look at its rows.

#ifndef VX_TRANSLATE_TRANSLATE_TEST_UTIL_H_
#define VX_TRANSLATE_TRANSLATE_TEST_UTIL_H_

#include <string>
#include <vector>

#include "data/connections.h"
#include "data/schema_scripts.h"
#include "engine/schema.h"
#include "support/installation.h"
#include "translate/language_db.h"
#include "vx_taluvek/variant.h"

namespace vx::testing {

// The host path of the language database of `inst`.
inline std::string LanguageDbFile(const Installation& inst) {
  return inst.File(kLanguageDbName);
}

// Points the directory key "SYSTEM" of `inst` at its settings home and adds
// `more_settings` (further sections) to the settings file.
inline void UseHomeAsSystemDirectory(const Installation& inst,
                                     const std::string& more_settings = "") {
  inst.WriteSettings("[Datei Verzeichnisse]\nSYSTEM=" + inst.home() + "\n" +
                     more_settings);
}

inline DbHandle OpenForTest(const std::string& path) {
  Variant connect(kBareConnect);
  return OpenDb(path, false, Variant(false), connect, true);
}

// Creates the language database of `inst` from its template and runs
// `statements` on it.
inline void MakeLanguageDb(const Installation& inst,
                           const std::vector<std::string>& statements) {
  dao::CreateDatabase(LanguageDbFile(inst), SchemaScript("Language2"),
                      kSuitePassword);
  DbHandle db = OpenForTest(LanguageDbFile(inst));
  for (const std::string& sql : statements) db->Execute(sql);
  CloseDb(db);
}

// The rows of `table` in order of ID as "Original|Uebersetzt2|Uebersetzt3|
// Uebersetzt4", null written as "~".
inline std::vector<std::string> TableRows(const Installation& inst,
                                          const std::string& table) {
  DbHandle db = OpenForTest(LanguageDbFile(inst));
  RsHandle rs = db->OpenRecordset(
      "SELECT Original, Uebersetzt2, Uebersetzt3, Uebersetzt4 FROM " + table +
          " ORDER BY ID",
      Variant(dao::kOpenSnapshot));
  std::vector<std::string> rows;
  for (; !rs->Eof(); rs->MoveNext()) {
    std::string row;
    for (int32_t i = 0; i < 4; ++i) {
      Variant v = rs->Fields()[i].Value();
      row += (i ? "|" : "") + (v.IsNull() ? std::string("~") : CStr(v));
    }
    rows.push_back(row);
  }
  CloseRs(rs);
  CloseDb(db);
  return rows;
}

}  // namespace vx::testing

#endif  // VX_TRANSLATE_TRANSLATE_TEST_UTIL_H_
