// How the `taluvek` command turns an argument text into a value.
//
// An argument is a text: the binding coerces it to the parameter's type as
// the automation run time does ("7" for a 32-bit parameter is 7), and the
// project object converts a column's text to the column's type when it
// saves.  The few values that a text cannot stand for have a spelling of
// their own beginning with "--"; any other argument beginning with "--" is
// refused, so that a mistyped one does not pass as a text.

#ifndef VX_CLI_ARGUMENT_TEXT_H_
#define VX_CLI_ARGUMENT_TEXT_H_

#include <optional>
#include <string>

#include "vx_taluvek/variant.h"

namespace vx::cli {

// The spellings, for the help texts.
inline constexpr const char* kArgumentSpellings =
    "  --null          Null\n"
    "  --leer          Empty (kein Wert)\n"
    "  --fehlt         ein ausgelassenes optionales Argument\n"
    "  --wahr          True\n"
    "  --falsch        False\n"
    "  --zahl=N        die Zahl N mit Punkt als Dezimaltrennzeichen, unabhängig\n"
    "                  von der Region (ganze Zahlen mit 32 Bit als Long, sonst\n"
    "                  Double)\n"
    "  --datum=D       das Datum D: JJJJ-MM-TT, wahlweise mit hh:mm[:ss]\n"
    "  --text=T        der Text T, auch wenn er mit -- beginnt\n";

// The value that `text` stands for, or nothing when it begins with "--" but
// is none of the spellings above (or --zahl= or --datum= with something
// that is no number or date).
std::optional<Variant> ArgumentValue(const std::string& text);

}  // namespace vx::cli

#endif  // VX_CLI_ARGUMENT_TEXT_H_
