// Translation of the texts the library shows.

#ifndef VX_TRANSLATE_TRT_H_
#define VX_TRANSLATE_TRT_H_

#include <cstdint>
#include <string>

namespace vx {

// The German `text` in the language of the running program.  `sprache` is
// the wanted language number as text (empty: the program's), `anwendung`
// the calling application, `nicht_aufnehmen` forbids recording an unknown
// text, `kundenschluessel` and `kundennummer` ask for a customer's wording.
//
// Translation is not installed yet: the text comes back unchanged.
std::string TRT(const std::string& text, std::string& sprache,
                std::string& anwendung, bool& nicht_aufnehmen,
                std::string& kundenschluessel, int32_t& kundennummer);

// TRT with every other argument empty, false or 0, as the library calls it.
std::string TRT(const std::string& text);

}  // namespace vx

#endif  // VX_TRANSLATE_TRT_H_
