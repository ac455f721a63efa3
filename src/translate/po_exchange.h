// The translations of the language database as a gettext catalogue, so that
// translators can work on them with their own tools, and back.
//
// Each text of the tables Ausgaben and Beschriftung becomes an entry whose
// msgctxt names the table, whose msgid is the German original and whose
// msgstr is the translation into one language ("" for none).

#ifndef VX_TRANSLATE_PO_EXCHANGE_H_
#define VX_TRANSLATE_PO_EXCHANGE_H_

#include <string>
#include <vector>

#include "engine/database.h"
#include "translate/po_file.h"

namespace vx {

// The catalogue of `language` (2 to 4): a header that names UTF-8 and the
// language ("X-Sprache: N"), then Ausgaben and Beschriftung in order of ID,
// one entry per original (compared exactly; rows whose original is null or
// empty are left out).  An original held by several rows gets the first
// non-empty translation among them, the one a lookup finds.  Raises the
// engine's errors.
PoCatalog ExportTranslations(dao::Database& db, int language);

struct ImportResult {
  int changed_texts = 0;  // entries whose translation was written
  int changed_rows = 0;
  // "Zeile N: ..." for each entry passed over: of no known table, with an
  // original the table does not hold, or flagged fuzzy.
  std::vector<std::string> skipped;
};

// Writes the translations of `catalog` into the column of `language`.  An
// entry whose msgstr is what ExportTranslations gives for it now is left
// alone, so that exporting and importing again changes nothing; otherwise
// every row of its original gets the msgstr, an empty one null.
//
// The whole catalogue is checked before anything is written: it raises
// kErrMalformedCatalog, writing nothing, when the header names a character
// set other than UTF-8 or another language, or when a translation is longer
// than its column.  Raises the engine's errors; rows written before such an
// error stay written.
ImportResult ImportTranslations(dao::Database& db, int language,
                                const PoCatalog& catalog);

}  // namespace vx

#endif  // VX_TRANSLATE_PO_EXCHANGE_H_
