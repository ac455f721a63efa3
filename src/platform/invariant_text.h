// The regionally neutral text of a value, as the run time's Str writes it.

#ifndef VX_PLATFORM_INVARIANT_TEXT_H_
#define VX_PLATFORM_INVARIANT_TEXT_H_

#include <string>

#include "vx_taluvek/variant.h"

namespace vx {

// Numbers with "." as decimal separator whatever the region, a leading
// blank for numbers that are not negative and no zero before the point
// (" 1.5", "-2", " .25"), up to 15 significant digits (7 for a single) in
// the shortest form, exponent form beyond ("1E+20").  Other kinds as CStr.
// Null raises 94.
std::string Str(const Variant& v);

// A double in plain positional notation with "." as decimal separator and
// no exponent, shortest form that reads back exactly ("1500", "0.00001").
std::string PlainNumberText(double value);

}  // namespace vx

#endif  // VX_PLATFORM_INVARIANT_TEXT_H_
