// A catalogue that reads is written and read again to the same entries:
// whatever a text holds, the writer escapes it so that the reader gives it
// back.  Anything else the reader refuses with an error, never a crash.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "translate/po_file.h"
#include "vx_taluvek/error.h"

namespace {

bool SameEntries(const vx::PoCatalog& a, const vx::PoCatalog& b) {
  if (a.entries.size() != b.entries.size()) return false;
  for (size_t i = 0; i < a.entries.size(); ++i) {
    const vx::PoEntry& x = a.entries[i];
    const vx::PoEntry& y = b.entries[i];
    // An untranslated entry is written without its fuzzy flag, as the
    // gettext tools do: there is no translation to be in doubt about.
    const bool fuzzy_kept = x.translation.empty() || x.fuzzy == y.fuzzy;
    if (x.has_context != y.has_context || x.context != y.context ||
        x.id != y.id || x.translation != y.translation || !fuzzy_kept) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  vx::PoCatalog read;
  try {
    read = vx::ParsePo(text);
  } catch (const vx::Error&) {
    return 0;
  }
  try {
    if (!SameEntries(read, vx::ParsePo(vx::FormatPo(read)))) std::abort();
  } catch (const vx::Error&) {
    std::abort();  // what was read must write and read back
  }
  return 0;
}
