// How the engine compares texts in statements: without regard to case for
// ASCII and for the letters the library's UCase maps (the German umlauts
// among them; "ß" and "ẞ" count as one letter), and sorted with the umlauts
// beside their base letters ("Ärger" before "Ofen", "ß" as "ss").
//
// The files keep SQLite's built-in NOCASE on their text columns and
// indexes, so that any SQLite program reads and checks them alike; the
// folding of the other letters lives only in the statements of a
// connection (dialect_functions.h), through these functions.

#ifndef VX_ENGINE_TEXT_ORDER_H_
#define VX_ENGINE_TEXT_ORDER_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx::dao {

// The character every case form of `c` folds to: ASCII letters to small
// letters, the letters UCase maps to their small form, "ẞ" to "ß".  A letter
// that would fold to an ASCII letter (dotless i, long s, capital I with dot)
// stays itself, so that ASCII texts fold exactly as SQLite's NOCASE folds.
char32_t FoldChar(char32_t c);

// Orders two texts: by their letters with umlauts as their base letters
// ("ä" as "a", "ß" as "ss"), then, among texts equal so, by their folded
// characters.  Zero exactly when the texts are equal without regard to
// case.  For ASCII texts the order is NOCASE's.  Invalid UTF-8 bytes count
// as characters of their own, after all others.
int CompareTexts(std::string_view a, std::string_view b);

// Every text that equals `text` without regard to case under NOCASE's
// folding of ASCII, one per combination of the case forms of its other
// letters ("Ä-1" gives "Ä-1" and "ä-1"); nothing when there are more than
// `limit`.  A text whose letters outside ASCII have no other case form
// gives itself alone.
std::optional<std::vector<std::string>> CaseVariants(std::string_view text,
                                                     size_t limit);

// Whether `text` matches the LIKE pattern `pattern` ("%" any run of
// characters, "_" one character, `escape` (when given) makes the next
// character literal), letters compared without regard to case as above.
// A pattern that ends in a lone escape character matches nothing.
bool LikeMatches(std::string_view pattern, std::string_view text,
                                std::optional<char32_t> escape);

}  // namespace vx::dao

#endif  // VX_ENGINE_TEXT_ORDER_H_
