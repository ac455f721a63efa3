// Gettext catalogues (PO files), the form in which translators work on the
// texts of the language database.
//
// An entry is written
//
//   msgctxt "Ausgaben"
//   msgid "Speichern"
//   msgstr "Save"
//
// with the texts in double quotes and C escapes; a text may go on in
// further quoted strings, which are joined.  The entry whose msgid is empty
// and which has no msgctxt is the header: lines "Name: value".
//
// Reading and writing go through libgettextpo, the parser of the gettext
// tools themselves, so that what they accept we accept and what we write
// they read.  The library keeps global state: every use of it here is
// serialised.

#ifndef VX_TRANSLATE_PO_FILE_H_
#define VX_TRANSLATE_PO_FILE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// The error number of a malformed catalogue.
inline constexpr int32_t kErrMalformedCatalog = 5;

struct PoEntry {
  bool has_context = false;
  std::string context;      // msgctxt
  std::string id;           // msgid
  std::string translation;  // msgstr
  bool fuzzy = false;       // flagged "#, fuzzy": a translation in doubt
  int line = 0;             // line of the entry's msgid when read
};

// Texts are UTF-8 without NUL characters.
struct PoCatalog {
  std::string header;            // the header entry's msgstr
  std::vector<PoEntry> entries;  // in their order, without the header
};

// The catalogue as PO text: the header entry, then every entry ("#, fuzzy"
// before a fuzzy one), escaped and wrapped as the gettext tools write them.
// The header's Content-Type is set to UTF-8, which the texts are.  Raises
// kErrMalformedCatalog when a text holds a NUL character or is not UTF-8,
// since neither could be written so that it reads back the same.
std::string FormatPo(const PoCatalog& catalog);

// Reads PO text: UTF-8, with or without a byte-order mark, lines ending in
// "\n" or "\r\n".  Comments are passed over except the flag "fuzzy", which
// belongs to the entry it stands before; obsolete entries ("#~") are left
// out.  Raises kErrMalformedCatalog with a description that begins
// "Zeile N: " (where the fault has a line) for anything it cannot take: what the gettext tools refuse
// (with their description), bytes that are not UTF-8, a NUL character
// (raw or escaped), plural forms, or a domain directive.
PoCatalog ParsePo(std::string_view text);

// The value of the header line "`name`: value", trimmed; "" when there is
// none.
std::string PoHeaderField(std::string_view header, std::string_view name);

}  // namespace vx

#endif  // VX_TRANSLATE_PO_FILE_H_
