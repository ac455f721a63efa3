// Fields of texts cut at separators: file names made of parts ("12345__LV1"),
// lists ("a;b;c;") and prefixes or suffixes to strip.
//
// Positions and lengths count characters, 1-based, as the run time's text
// functions do.  An empty separator or part never occurs in a text, so that
// a caller that loops until the position becomes 0 always ends.

#ifndef VX_FILES_TOKENS_H_
#define VX_FILES_TOKENS_H_

#include <cstdint>
#include <string>

#include "vx_taluvek/variant.h"

namespace vx {

// The field of `text` that begins at `position` and ends before the next
// `separator`; `position` then points just after that separator.  When no
// separator follows, the rest of the text comes back and `position` becomes
// 0.  A position below 1 counts as 1.  A separator longer than the text
// gives the whole text and position 0.
std::string NextToken(int32_t& position, const std::string& text,
                      const std::string& separator);

// Fields counted from the right.  `position` is the number of characters at
// the end of `text` already taken (0 on the first call).  In the rest, the
// last `separator` is looked for: the part after it comes back (with
// `take_left_part`, the part before it) and `position` grows so that the
// next call takes the field before it.  Without a separator in the rest,
// the rest comes back (the empty text when `empty_when_missing`) and
// `position` becomes 0.  A text shorter than the position or than the
// separator gives the empty text and position 0.
std::string LastToken(int32_t& position, const std::string& text,
                      const std::string& separator, bool empty_when_missing,
                      bool take_left_part);

// The `n`-th field (from 1) of `text` cut at `separator`, trailing blanks
// removed.  `mode` > 0 gives the text from that field to the end; `mode` < 0
// the text before field n + 1 without the separator between.  A field that
// does not exist gives the empty text (the whole text when `mode` < 0).  An
// empty or null text gives the empty text; a text without the separator
// and n = 1 give the text unchanged.
std::string GetToken(const Variant& text, int32_t n,
                     const std::string& separator, int16_t mode = 0);

// `text` cut at `part`.
//
// With neither `search` nor `last`: `part` is removed where `text` begins
// with it (`from_left`) or ends with it, compared without regard to case;
// with `repeat` as often as it is still there.
//
// With `search` (or `last`): the first (with `last`, the last) occurrence of
// `part`, compared exactly, divides the text: the text after it comes back
// when `from_left`, the text before it otherwise.  When `part` does not
// occur, `text` comes back unchanged.
std::string CutString(const std::string& text, const std::string& part,
                      bool from_left, bool repeat, bool search, bool last);

}  // namespace vx

#endif  // VX_FILES_TOKENS_H_
