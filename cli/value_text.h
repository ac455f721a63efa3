// How the `taluvek` command shows a value: as text on a line for people, or
// as JSON for programs.

#ifndef VX_CLI_VALUE_TEXT_H_
#define VX_CLI_VALUE_TEXT_H_

#include <string>
#include <string_view>

#include "vx_taluvek/variant.h"

namespace vx::cli {

// The value as a person reads it on one line: a text as it is, a boolean as
// True or False, a number with "." as decimal separator whatever the
// region (the shortest form that reads back exactly), a date as
// "YYYY-MM-DD hh:mm:ss", a byte array as the text whose 16-bit code units
// it holds, empty as "" and null as "Null".  Line breaks and other control
// characters (except the tab) are written as \n, \r and \xNN, so that a
// value cannot break its line or steer the terminal; invalid UTF-8 becomes
// U+FFFD.
std::string PlainText(const Variant& v);

// The value as a JSON value: numbers as numbers (infinities, which no
// column holds, as null), booleans as true and false, empty and null (and
// an omitted argument) as null, dates as "YYYY-MM-DD hh:mm:ss", byte arrays
// as the text they encode, texts as strings.
std::string JsonValue(const Variant& v);

// `text` as a JSON string with its quotes: ", \ and the control characters
// escaped; invalid UTF-8 becomes U+FFFD.
std::string JsonString(std::string_view text);

}  // namespace vx::cli

#endif  // VX_CLI_VALUE_TEXT_H_
