// The German umlauts and "ß" written as two letters, the way the language
// database keeps its texts ("Löschen" is found as "Loeschen").

#ifndef VX_TRANSLATE_UMLAUTS_H_
#define VX_TRANSLATE_UMLAUTS_H_

#include <string>

namespace vx {

// Whether `text` holds an umlaut or "ß".  With `alle`, `text` is also
// rewritten: "Ü" becomes "Ue", "ü" "ue", "Ä" "Ae", "ä" "ae", "Ö" "Oe", "ö"
// "oe", "ß" "ss", every other character (and every byte that is no valid
// UTF-8) stays as it is; without `alle`, `text` is left unchanged.
// `gefunden` is set to the answer when `alle`, and to false otherwise.
//
// The letters are compared by code point, which is also their code in the
// Windows code page the suite's texts came from (196, 214, 220, 223, 228,
// 246, 252).
bool UmlauteErsetzen(std::string& text, bool alle, bool& gefunden);

}  // namespace vx

#endif  // VX_TRANSLATE_UMLAUTS_H_
