// Field values and numbers as the suite reads them.
//
// FieldValue turns a database field into a value the caller can use
// without testing for null; ToVal is the suite's one rule for reading a
// number that a user or another program wrote as text, whatever separators
// it used.

#ifndef VX_DATA_FIELD_VALUES_H_
#define VX_DATA_FIELD_VALUES_H_

#include <cstdint>
#include <string>

#include "engine/recordset.h"
#include "vx_taluvek/variant.h"

namespace vx {

// The value of `field`, with a null or empty value replaced by the empty
// value of the field's type: False for yes/no (type 1), "" for the text and
// binary kinds (9, 10, 11, 12, 18), the 16-bit 0 for all others, as told
// by `type_code`.  A `type_code` of 0 is filled in with the field's type, so
// that a loop over many rows asks the engine only once.  Raises 3265 when `field` is
// nullptr; any other failure gives an empty variant (with a diagnostic box
// in developer mode).
Variant FieldValue(dao::Field* field, int32_t& type_code);

// The number written in `text`, read with the regional decimal and grouping
// separators or the English ones, with blanks or a trailing unit; a text
// without digits gives 0, a number beyond the range of a double the largest
// double of its sign.  A non-empty `stop` ends the number at its first
// occurrence.  Never fails.
double ToVal(const std::string& text, const std::string& stop);

// `value` rounded to `digits` decimals the suite's way (0.501 rather than
// 0.5 is added before cutting), read back through the regional format.  A
// negative digit count returns the value unchanged, and so does a value
// too large to hold decimals at `digits` places.  `correction` is part
// of the suite's interface and has no effect.  On failure (design mode
// shows it) a value whose text is empty is set to 0.
Variant RoundVal(Variant& value, int16_t digits, bool& correction);

// Non-overlapping occurrences of `pattern` in `text`, searched from the
// left; 0 for an empty pattern; null counts as the empty text.
int32_t CountOccurrences(const Variant& text, const std::string& pattern);

// Whether `text` is not empty and holds only " +-*/,.()0123456789".
bool IsNumberText(const std::string& text);

}  // namespace vx

#endif  // VX_DATA_FIELD_VALUES_H_
