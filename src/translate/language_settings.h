// The settings that steer translation, from section "Sprache" of the
// settings file.

#ifndef VX_TRANSLATE_LANGUAGE_SETTINGS_H_
#define VX_TRANSLATE_LANGUAGE_SETTINGS_H_

namespace vx {

inline constexpr const char* kLanguageSection = "Sprache";

// Whether texts that the language database does not know yet are to be
// recorded in it, so that the translators find them.  Only in developer
// mode: there the entry "AlwaysAddText" (default "YES", written into the
// file when missing) decides, "YES" without regard to case meaning yes.
// The entry is read once per thread; outside developer mode it is never
// read and the answer is false.  May clear the pending error (asking for
// developer mode does).
bool bAlwaysAddText();

// Reads the program's language number into the thread's translation state:
// the absolute value of the number in the entry "Programm Version" (default
// "1"), rounded to a whole number.  Raises 6 (overflow), leaving the state
// as it was, when that is beyond 16 bits.
void ReadProgramLanguage();

}  // namespace vx

#endif  // VX_TRANSLATE_LANGUAGE_SETTINGS_H_
