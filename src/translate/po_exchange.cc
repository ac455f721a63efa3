#include "translate/po_exchange.h"

#include <ctime>
#include <map>
#include <memory>
#include <string_view>

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
  std::string original;
  Variant translation;  // text or null
};

// The rows whose originals the database takes for one text (they differ
// at most in case), in order of ID: the rows a lookup of any of them finds.
struct Original {
  std::vector<Row> rows;
};

struct TableTexts {
  std::vector<Original> originals;      // in order of first ID
  std::map<std::string, size_t> index;  // each row's original -> originals
  int32_t column_size = 0;              // characters; 0 unknown
};

[[noreturn]] void Refuse(const std::string& what) {
  Raise(kErrMalformedCatalog, what);
}

// A text of the database that could not be written into a catalogue.
void CheckStoredText(const char* table, int32_t id, const std::string& text) {
  const std::string where = std::string(table) + ", ID " + std::to_string(id);
  if (text.find('\0') != std::string::npos) {
    Refuse(where + ": Nullzeichen im Text");
  }
  if (!IsUtf8(text)) Refuse(where + ": der Text ist kein gültiges UTF-8");
}

TableTexts ReadTable(dao::Database& db, const char* table, int language) {
  // The first ID of the rows equal to each row's original, compared as the
  // lookups compare (the column's own comparison, without regard to case).
  const std::string t = table;
  std::shared_ptr<dao::Recordset> rs = db.OpenRecordset(
      "SELECT a.ID, a.Original, a." + TranslationColumn(language) +
          ", (SELECT Min(b.ID) FROM " + t + " AS b WHERE b.Original = "
          "a.Original) AS Gruppe FROM " + t + " AS a ORDER BY a.ID",
      Variant(dao::kOpenSnapshot));
  TableTexts texts;
  dao::Fields& fields = rs->Fields();
  texts.column_size = fields[2].Size();
  std::map<int32_t, size_t> groups;  // first ID -> originals
  for (; !rs->Eof(); rs->MoveNext()) {
    Variant original = fields[1].Value();
    if (original.IsNull()) continue;
    Row row{CLng(fields[0].Value()), CStr(original), fields[2].Value()};
    if (row.original.empty()) continue;  // would be taken for the header
    CheckStoredText(table, row.id, row.original);
    if (!row.translation.IsNull()) {
      CheckStoredText(table, row.id, CStr(row.translation));
    }
    auto [group, added] =
        groups.emplace(CLng(fields[3].Value()), texts.originals.size());
    if (added) texts.originals.emplace_back();
    texts.index.emplace(row.original, group->second);
    texts.originals[group->second].rows.push_back(std::move(row));
  }
  rs->Close();
  return texts;
}

// The row whose translation TRT's lookup in `table` takes: the first row's
// when it is a text; in Ausgaben the second row's where the first is null.
// Nothing when the lookup finds no translation.
const Row* TranslatedRow(const char* table, const Original& original) {
  auto translated = [](const Row& row) {
    return !row.translation.IsNull() && !CStr(row.translation).empty();
  };
  const std::vector<Row>& rows = original.rows;
  if (translated(rows[0])) return &rows[0];
  if (std::string_view(table) == kOutputTable && rows[0].translation.IsNull() &&
      rows.size() > 1 && translated(rows[1])) {
    return &rows[1];
  }
  return nullptr;
}

std::string CurrentTranslation(const char* table, const Original& original) {
  const Row* row = TranslatedRow(table, original);
  return row != nullptr ? CStr(row->translation) : "";
}

// The entries of both tables; with translations into `language`, or, for
// 0, with none.
std::vector<PoEntry> ExportEntries(dao::Database& db, int language) {
  std::vector<PoEntry> entries;
  for (const char* table : {kOutputTable, kLabelTable}) {
    TableTexts texts =
        ReadTable(db, table, language != 0 ? language : kFirstTranslatedLanguage);
    for (const Original& original : texts.originals) {
      const Row* translated = TranslatedRow(table, original);
      PoEntry entry;
      entry.has_context = true;
      entry.context = table;
      entry.id = (translated != nullptr ? translated : &original.rows[0])->original;
      if (language != 0 && translated != nullptr) {
        entry.translation = CStr(translated->translation);
      }
      entries.push_back(std::move(entry));
    }
  }
  return entries;
}

// The header fields the catalogues share; `language` 0 for the template.
std::string Header(int language) {
  std::string revised = "YEAR-MO-DA HO:MI+ZONE";
  std::string language_code;
  if (language != 0) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[40];
    if (localtime_r(&now, &local) != nullptr &&
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M%z", &local) > 0) {
      revised = text;
    }
    // The database knows its languages only by number: a private-use tag.
    language_code = "x-sprache" + std::to_string(language);
  }
  std::string header =
      "Project-Id-Version: " + std::string(kLanguageDbName) + "\n"
      "PO-Revision-Date: " + revised + "\n"
      "Last-Translator: \n"
      "Language-Team: \n"
      "Language: " + language_code + "\n"
      "MIME-Version: 1.0\n"
      "Content-Type: text/plain; charset=UTF-8\n"
      "Content-Transfer-Encoding: 8bit\n"
      "Plural-Forms: nplurals=2; plural=(n != 1);\n";
  if (language != 0) {
    header += std::string(kLanguageHeaderField) + ": " +
              std::to_string(language) + "\n";
  }
  return header;
}

bool SameValue(const Variant& stored, const Variant& wanted) {
  if (stored.IsNull() || wanted.IsNull()) {
    return stored.IsNull() && wanted.IsNull();
  }
  return CStr(stored) == CStr(wanted);
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
  return PoCatalog{Header(language), ExportEntries(db, language)};
}

PoCatalog ExportTemplate(dao::Database& db) {
  return PoCatalog{Header(0), ExportEntries(db, 0)};
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
    if (entry.translation == CurrentTranslation(table->first.c_str(), original)) {
      continue;
    }
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
  db.InTransaction([&] {
    for (const RowChange& change : changes) {
      const std::string value =
          change.value.IsNull() ? "Null" : SqlText(CStr(change.value));
      db.Execute(std::string("UPDATE ") + change.table + " SET " + column +
                 " = " + value + " WHERE ID = " + std::to_string(change.id));
    }
  });
  result.changed_rows = static_cast<int>(changes.size());
  return result;
}

}  // namespace vx
