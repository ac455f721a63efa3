// What translation keeps per thread.
//
// Like the rest of the library's module state, every thread has its own
// set: the translator component, the language database and the settings
// read once are created or read on first use and live until the thread
// ends.  A translator that could not be created, or a language database
// found missing, is not tried again on the same thread.

#ifndef VX_TRANSLATE_TRANSLATION_STATE_H_
#define VX_TRANSLATE_TRANSLATION_STATE_H_

#include <cstdint>
#include <memory>
#include <string>

#include "data/connections.h"
#include "vx_taluvek/components.h"

namespace vx {

// Kinds of the open language database.
enum LanguageDbKind : int16_t {
  kLanguageDbUnchecked = 0,
  kLanguageDbExpected = -1,  // the file is Language2.vx3db
  kLanguageDbOther = 99,     // some other file: umlauts are left alone
};

// States of the "AlwaysAddText" setting.
enum AlwaysAddTextState : int16_t {
  kAlwaysAddTextUnread = 0,
  kAlwaysAddTextYes = 1,
  kAlwaysAddTextNo = 2,
};

struct TranslationState {
  std::shared_ptr<Uebersetzer> translator;
  bool translator_failed = false;

  DbHandle language_db;
  bool language_db_missing = false;
  int16_t language_db_kind = kLanguageDbUnchecked;

  int16_t always_add_text = kAlwaysAddTextUnread;

  // The program's language number ("Programm Version" in section
  // "Sprache"); 0 until read.
  int16_t program_language = 0;
  bool program_language_read = false;

  // A one-entry cache of the last text translated into the program's
  // language and its translation ("" when there is nothing to serve).
  std::string last_text;
  std::string last_translation;

  // A translation is running on this thread.  Reading the settings or
  // showing a message may come back to the translation (the settings'
  // error dialog translates its own text); such a nested call gets its
  // text back unchanged instead of recursing.
  bool busy = false;
};

// The calling thread's translation state.
TranslationState& ThreadTranslationState();

}  // namespace vx

#endif  // VX_TRANSLATE_TRANSLATION_STATE_H_
