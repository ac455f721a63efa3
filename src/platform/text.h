// The run time's text functions on UTF-8 texts.
//
// Every length and position counts characters (code points), not bytes;
// positions are 1-based as in the run time.  Upper and lower case cover the
// Latin-1 and Latin Extended-A letters, so the German umlauts fold; "ß" has
// no single upper-case letter and stays as it is.

#ifndef VX_PLATFORM_TEXT_H_
#define VX_PLATFORM_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace vx {

// Number of characters.
size_t Len(std::string_view s);
// The first / last `n` characters (all of `s` when it is shorter).
std::string Left(std::string_view s, size_t n);
std::string Right(std::string_view s, size_t n);
// `length` characters from the 1-based position `start` (to the end when
// npos); empty when start is beyond the end.  Start 0 raises 5 (invalid
// procedure call or argument), as in the run time.
std::string Mid(std::string_view s, size_t start,
                size_t length = std::string_view::npos);
// 1-based character position of `pattern` in `s` at or after `start`, 0 when
// missing.  An empty pattern is found at `start` (when start <= Len + 1).
// Start 0 raises 5.
size_t InStr(std::string_view s, std::string_view pattern, size_t start = 1);
// 1-based character position of the last `pattern` in `s`, 0 when missing
// (and when `s` is empty); an empty pattern gives Len(s).
size_t InStrRev(std::string_view s, std::string_view pattern);

std::string UCase(std::string_view s);
std::string LCase(std::string_view s);
// The case mappings of UCase and LCase for one character.
char32_t ToUpperChar(char32_t c);
char32_t ToLowerChar(char32_t c);
// Equal without regard to case (the case mappings of UCase).
bool EqualsNoCase(std::string_view a, std::string_view b);

// Blanks (only " ") removed at the start, the end or both.
std::string LTrim(std::string_view s);
std::string RTrim(std::string_view s);
std::string Trim(std::string_view s);
// The part of `s` that Trim keeps, without a copy.
std::string_view TrimmedView(std::string_view s);

// Every occurrence of `from` replaced by `to`, left to right.
std::string Replace(std::string_view s, std::string_view from,
                    std::string_view to);

// Byte offset of the 1-based character position `pos` (s.size() when beyond).
size_t ByteOffsetOfChar(std::string_view s, size_t pos);

// Decodes the code point at byte offset *i and advances *i; an invalid
// sequence yields U+FFFD and advances one byte.
char32_t NextCodePoint(std::string_view s, size_t* i);
// Whether `s` is well-formed UTF-8 throughout (no stray bytes, overlong
// forms, surrogates or values beyond Unicode).
bool IsUtf8(std::string_view s);
void AppendUtf8(std::string* out, char32_t cp);

}  // namespace vx

#endif  // VX_PLATFORM_TEXT_H_
