// The words of one line of a `taluvek aufruf --skript` file.
//
// Words are separated by blanks and tabs.  Quotes join what a word holds
// with blanks: inside '...' every character stands for itself; inside
// "..." a backslash before " or \ stands for that character and any other
// backslash for itself, so that paths such as "T:\Daten\Neu 1" need no
// doubling (only one right before the closing quote does: "T:\Daten\\"). Quoted
// and unquoted parts next to each other make one word (sProjektNr="47 11" is
// the word sProjektNr=47 11), and "" is an empty word.  A "#" that begins a
// word outside quotes begins a comment that runs to the end of the line.  A
// carriage return counts as a blank, so files written with Windows line ends
// read the same.

#ifndef VX_CLI_SCRIPT_WORDS_H_
#define VX_CLI_SCRIPT_WORDS_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx::cli {

// The words of `line`; nothing when a quote is not closed on the line.
std::optional<std::vector<std::string>> ScriptWords(std::string_view line);

}  // namespace vx::cli

#endif  // VX_CLI_SCRIPT_WORDS_H_
