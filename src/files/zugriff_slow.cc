#include "files/zugriff_slow.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "config/settings_file.h"
#include "platform/module_state.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/variant.h"

namespace vx {

void ReadZugriffSlow() {
  constexpr double kHighest = std::numeric_limits<int16_t>::max();
  double level = 0;
  try {
    level = std::fabs(Val(
        CStr(Tarvano_Eintrag("SYS", "Zugriff_Slow", std::string("1")))));
  } catch (const Error&) {
    // Only a number too large for any type fails here; like every value
    // beyond the range it asks for the most patient test.
    level = kHighest;
  }
  int16_t stored = level >= kHighest ? static_cast<int16_t>(kHighest)
                                     : CInt(Variant(level));
  State().nZugriffSlow = stored == 0 ? int16_t{1} : stored;
}

}  // namespace vx
