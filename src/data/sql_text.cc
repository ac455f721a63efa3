#include "data/sql_text.h"

#include "platform/text.h"

namespace vx {

std::string SqlText(std::string_view text) {
  return "'" + Replace(text, "'", "''") + "'";
}

}  // namespace vx
