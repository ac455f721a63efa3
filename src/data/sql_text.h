// Texts inside statements.

#ifndef VX_DATA_SQL_TEXT_H_
#define VX_DATA_SQL_TEXT_H_

#include <string>
#include <string_view>

namespace vx {

// `text` as a text literal of a statement: in apostrophes, every apostrophe
// in it doubled, so that no text can end the literal early.  Every text the
// library puts into a statement goes through here.
std::string SqlText(std::string_view text);

}  // namespace vx

#endif  // VX_DATA_SQL_TEXT_H_
