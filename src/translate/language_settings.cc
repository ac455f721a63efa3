#include "translate/language_settings.h"

#include <cmath>
#include <cstdint>

#include "config/developer_mode.h"
#include "config/settings_file.h"
#include "platform/text.h"
#include "translate/translation_state.h"
#include "vx_taluvek/variant.h"

namespace vx {

bool bAlwaysAddText() {
  TranslationState& s = ThreadTranslationState();
  if (s.always_add_text == kAlwaysAddTextUnread && bIstEntwicklung()) {
    std::string value =
        CStr(Tarvano_Eintrag(kLanguageSection, "AlwaysAddText", "YES"));
    s.always_add_text =
        UCase(value) == "YES" ? kAlwaysAddTextYes : kAlwaysAddTextNo;
  }
  return s.always_add_text == kAlwaysAddTextYes;
}

void ReadProgramLanguage() {
  TranslationState& s = ThreadTranslationState();
  std::string value =
      CStr(Tarvano_Eintrag(kLanguageSection, "Programm Version", "1"));
  s.program_language = CInt(Variant(std::fabs(Val(value))));
  s.program_language_read = true;
}

}  // namespace vx
