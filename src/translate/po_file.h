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
// further quoted lines, which are joined.  The entry whose msgid is empty
// and which has no msgctxt is the header: lines "Name: value".

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

struct PoCatalog {
  std::string header;            // the header entry's msgstr
  std::vector<PoEntry> entries;  // in their order, without the header
};

// The catalogue as PO text: the header entry, then every entry, each after
// a blank line ("#, fuzzy" before a fuzzy one).  Backslashes, double quotes
// and control characters are escaped (\\, \", \n, \t, \r, other ones in
// octal); a text with a line feed before its end is written as one quoted
// line per line.
std::string FormatPo(const PoCatalog& catalog);

// Reads PO text: UTF-8, with or without a byte-order mark, lines ending in
// "\n" or "\r\n".  Comments are passed over except the flag "fuzzy";
// obsolete entries ("#~") are left out.  Raises kErrMalformedCatalog with a
// description that begins "Zeile N: " for anything it cannot read: an
// unknown keyword or escape, a quote not closed, text after the closing
// quote, a keyword out of order (msgstr without msgid, msgctxt twice, an
// entry without msgstr), plural forms, an escaped NUL, or the same msgctxt
// and msgid a second time.
PoCatalog ParsePo(std::string_view text);

// The value of the header line "`name`: value" (name without regard to
// case), trimmed; "" when there is none.
std::string PoHeaderField(std::string_view header, std::string_view name);

}  // namespace vx

#endif  // VX_TRANSLATE_PO_FILE_H_
