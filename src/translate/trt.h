// Translation of the texts the library shows.
//
// The suite writes its texts in German.  TRT hands each one to the suite's
// translator component (vx_Translate.cls_Trans); where that cannot be
// created it looks the text up in the language database itself (see
// language_db.h), and in developer mode records the texts the database
// does not know yet, so that the translators find them.

#ifndef VX_TRANSLATE_TRT_H_
#define VX_TRANSLATE_TRT_H_

#include <cstdint>
#include <string>

namespace vx {

// The German `text` in the language of the running program, or `text`
// itself whenever there is no translation.  Never raises, and leaves the
// caller's pending error as it found it, so that a message about that error
// may be translated on its way to the dialog.
//
// `sprache` is the wanted language number as text (empty: the program's,
// the settings' "Programm Version" in section "Sprache"); when the language
// database is used, the number used is written back.  `anwendung` names the
// calling application; when empty it is set to the program's executable
// name.  `nicht_aufnehmen` forbids recording an unknown text.
// `kundenschluessel` with a `kundennummer` of at least 1 asks the translator
// for a customer's own German wording.
//
// Texts that are left as they are: blank ones, names of controls
// ("txt...", "pop...", "Label...", "Frame...", "lb..."), numbers, and the
// symbols "-", "---", "?", "*", "...", "<", ">", "&", "+", "=", "!", "%".
// In the language database a text is looked up without blanks around it,
// without a trailing colon, with apostrophes as blanks and umlauts written
// as two letters; an accelerator "&", a trailing "!" or the number of
// "Preis12" is looked up without and put back into the translation, and so
// are the colon and the blanks.  A text asked twice in a row in the
// program's language is served from a one-entry cache.
std::string TRT(const std::string& text, std::string& sprache,
                std::string& anwendung, bool& nicht_aufnehmen,
                std::string& kundenschluessel, int32_t& kundennummer);

// TRT with every other argument empty, false or 0, as the library calls it.
std::string TRT(const std::string& text);

}  // namespace vx

#endif  // VX_TRANSLATE_TRT_H_
