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

// The catalogue of `language` (2 to 4): a header with the fields the
// gettext tools check (Project-Id-Version, PO-Revision-Date, Language,
// Plural-Forms, UTF-8, ...) and the language number ("X-Sprache: N"), then
// Ausgaben and Beschriftung in order of ID, one entry per original; rows
// whose original is null or empty are left out.  Originals that the
// database takes for the same text (they differ only in case) make one
// entry, with the original and the translation that TRT's lookup finds
// for them: in Ausgaben the first row's translation, or the second row's
// where the first has none (null); in Beschriftung the first row's.  Raises
// kErrMalformedCatalog, naming table and ID, for a text that holds a NUL
// character or is not UTF-8, and the engine's errors.
PoCatalog ExportTranslations(dao::Database& db, int language);

// The template of all catalogues: the same entries without translations,
// under a template's header (no language, no revision date).
PoCatalog ExportTemplate(dao::Database& db);

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
// every row of its original (and of the originals taken for the same text)
// gets the msgstr, an empty one null.
//
// The whole catalogue is checked before anything is written: it raises
// kErrMalformedCatalog, writing nothing, when the header names a character
// set other than UTF-8 or another language, or when a translation is longer
// than its column.  All rows are written in one transaction: when the
// engine raises, nothing of the catalogue is written.
ImportResult ImportTranslations(dao::Database& db, int language,
                                const PoCatalog& catalog);

}  // namespace vx

#endif  // VX_TRANSLATE_PO_EXCHANGE_H_
