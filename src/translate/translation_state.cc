#include "translate/translation_state.h"

namespace vx {

TranslationState& ThreadTranslationState() {
  thread_local TranslationState state;
  return state;
}

}  // namespace vx
