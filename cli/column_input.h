// How `taluvek projekt setzen` reads a text given for a column of a given
// type, before the project object sees it.
//
// The project object would convert a text by the region's rules without a
// word: "1300000.50" under a German locale, where "." groups thousands,
// would become 130000050.  So the command reads numbers, dates and yes/no
// values itself: a number may hold the regional decimal separator but no
// other "." or "," (which one groups and which one divides depends on the
// region, and a mix-up changes the value by powers of ten); a date that is
// not written as YYYY-MM-DD is read in the region's order of day and
// month, and the reading is told; yes/no columns take the words of the
// suite's languages as well as the run time's.

#ifndef VX_CLI_COLUMN_INPUT_H_
#define VX_CLI_COLUMN_INPUT_H_

#include <cstdint>
#include <optional>
#include <string>

#include "vx_taluvek/variant.h"

namespace vx::cli {

struct ColumnInput {
  // The value to store, or nothing when the text was refused (`message`
  // says why).
  std::optional<Variant> value;
  // How a text was read where that is worth telling ("gelesen als
  // 2024-03-05"), or why it was refused; "" otherwise.
  std::string message;
};

// The value given as `given` for a column of the engine's type code `type`.
// Anything but a text, and a text for a column of another kind, passes
// unchanged.
ColumnInput ColumnInputOf(const Variant& given, int16_t type);

}  // namespace vx::cli

#endif  // VX_CLI_COLUMN_INPUT_H_
