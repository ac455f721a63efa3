#include "translate/po_exchange.h"

#include <map>
#include <memory>

#include "data/sql_text.h"
#include "engine/recordset.h"
#include "platform/text.h"
#include "translate/language_db.h"
#include "vx_taluvek/error.h"

namespace vx {

namespace {

constexpr const char* kLanguageHeaderField = "X-Sprache";

struct Row {
  int32_t id = 0;
  Variant translation;  // text or null
};

// The rows that hold one original, in order of ID.
struct Original {
  std::string text;
  std::vector<Row> rows;
};

struct TableTexts {
  std::vector<Original> originals;             // in order of first ID
  std::map<std::string, size_t> index;         // text -> originals
  int32_t column_size = 0;                     // characters; 0 unknown
};

TableTexts ReadTable(dao::Database& db, const char* table, int language) {
  std::shared_ptr<dao::Recordset> rs = db.OpenRecordset(
      "SELECT ID, Original, " + TranslationColumn(language) + " FROM " +
          table + " ORDER BY ID",
      Variant(dao::kOpenSnapshot));
  TableTexts t;
  dao::Fields& fields = rs->Fields();
  t.column_size = fields[2].Size();
  for (; !rs->Eof(); rs->MoveNext()) {
    Variant original = fields[1].Value();
    if (original.IsNull()) continue;
    std::string text = CStr(original);
    if (text.empty()) continue;  // would be taken for the header
    auto [it, added] = t.index.emplace(text, t.originals.size());
    if (added) t.originals.push_back(Original{text, {}});
    t.originals[it->second].rows.push_back(
        Row{CLng(fields[0].Value()), fields[2].Value()});
  }
  rs->Close();
  return t;
}

// The translation a lookup finds: the first non-empty one.
std::string CurrentTranslation(const Original& original) {
  for (const Row& row : original.rows) {
    if (row.translation.IsNull()) continue;
    std::string text = CStr(row.translation);
    if (!text.empty()) return text;
  }
  return "";
}

bool SameValue(const Variant& stored, const Variant& wanted) {
  if (stored.IsNull() || wanted.IsNull()) {
    return stored.IsNull() && wanted.IsNull();
  }
  return CStr(stored) == CStr(wanted);
}

[[noreturn]] void Refuse(const std::string& what) {
  Raise(kErrMalformedCatalog, what);
}

void CheckHeader(const std::string& header, int language) {
  std::string content_type = PoHeaderField(header, "Content-Type");
  size_t charset = LCase(content_type).find("charset=");
  if (charset != std::string::npos) {
    std::string name = Trim(content_type.substr(charset + 8));
    if (!EqualsNoCase(name, "UTF-8")) {
      Refuse("Kopfeintrag: Zeichensatz " + name +
             " wird nicht unterstützt, nur UTF-8");
    }
  }
  std::string named = PoHeaderField(header, kLanguageHeaderField);
  if (!named.empty() && named != std::to_string(language)) {
    Refuse("Kopfeintrag: die Datei enthält Sprache " + named +
           ", nicht Sprache " + std::to_string(language));
  }
}

struct RowChange {
  const char* table;
  int32_t id;
  Variant value;
};

}  // namespace

PoCatalog ExportTranslations(dao::Database& db, int language) {
  PoCatalog catalog;
  catalog.header =
      "MIME-Version: 1.0\n"
      "Content-Type: text/plain; charset=UTF-8\n"
      "Content-Transfer-Encoding: 8bit\n" +
      std::string(kLanguageHeaderField) + ": " + std::to_string(language) +
      "\n";
  for (const char* table : {kOutputTable, kLabelTable}) {
    TableTexts texts = ReadTable(db, table, language);
    for (const Original& original : texts.originals) {
      PoEntry entry;
      entry.has_context = true;
      entry.context = table;
      entry.id = original.text;
      entry.translation = CurrentTranslation(original);
      catalog.entries.push_back(std::move(entry));
    }
  }
  return catalog;
}

ImportResult ImportTranslations(dao::Database& db, int language,
                                const PoCatalog& catalog) {
  CheckHeader(catalog.header, language);
  std::map<std::string, TableTexts> tables;
  for (const char* table : {kOutputTable, kLabelTable}) {
    tables.emplace(table, ReadTable(db, table, language));
  }

  ImportResult result;
  std::vector<RowChange> changes;
  for (const PoEntry& entry : catalog.entries) {
    const std::string where = "Zeile " + std::to_string(entry.line) + ": ";
    auto table = entry.has_context ? tables.find(entry.context) : tables.end();
    if (table == tables.end()) {
      result.skipped.push_back(
          where +
          (entry.has_context
               ? "unbekannte Tabelle (msgctxt \"" + entry.context + "\")"
               : std::string("ohne msgctxt (Ausgaben oder Beschriftung)")) +
          ", übersprungen");
      continue;
    }
    const TableTexts& texts = table->second;
    auto found = texts.index.find(entry.id);
    if (found == texts.index.end()) {
      result.skipped.push_back(where + "Text \"" + entry.id + "\" fehlt in " +
                               entry.context + ", übersprungen");
      continue;
    }
    if (entry.fuzzy) {
      result.skipped.push_back(where +
                               "als unsicher (fuzzy) markiert, übersprungen");
      continue;
    }
    if (texts.column_size > 0 &&
        Len(entry.translation) > static_cast<size_t>(texts.column_size)) {
      Refuse(where + "die Übersetzung ist länger als " +
             std::to_string(texts.column_size) + " Zeichen");
    }
    const Original& original = texts.originals[found->second];
    if (entry.translation == CurrentTranslation(original)) continue;
    const Variant wanted = entry.translation.empty()
                               ? Variant::Null()
                               : Variant(entry.translation);
    ++result.changed_texts;
    for (const Row& row : original.rows) {
      if (!SameValue(row.translation, wanted)) {
        changes.push_back(RowChange{
            entry.context == kOutputTable ? kOutputTable : kLabelTable, row.id,
            wanted});
      }
    }
  }

  const std::string column = TranslationColumn(language);
  for (const RowChange& change : changes) {
    const std::string value =
        change.value.IsNull() ? "Null" : SqlText(CStr(change.value));
    db.Execute(std::string("UPDATE ") + change.table + " SET " + column +
               " = " + value + " WHERE ID = " + std::to_string(change.id));
    ++result.changed_rows;
  }
  return result;
}

}  // namespace vx
