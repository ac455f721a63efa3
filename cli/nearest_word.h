// The known word a mistyped one was most likely meant to be, for the
// command's "meinten Sie ...?".

#ifndef VX_CLI_NEAREST_WORD_H_
#define VX_CLI_NEAREST_WORD_H_

#include <string>
#include <vector>

namespace vx::cli {

// The number of characters (not bytes) to insert, delete or replace to make
// `a` into `b`, ignoring case.
size_t EditDistance(const std::string& a, const std::string& b);

// The word of `known` nearest to `given` by edit distance (the first of
// equally near ones), or "" when none is near enough to be a typing error:
// at most 2 edits, or a third of the word's characters for longer words.
std::string NearestWord(const std::string& given,
                        const std::vector<std::string>& known);

}  // namespace vx::cli

#endif  // VX_CLI_NEAREST_WORD_H_
