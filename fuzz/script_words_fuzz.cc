// The words of a script line, written back with quotes and read again, are
// the same words: whatever a word holds, the splitter gives it back whole.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cli/script_words.h"

namespace {

// `word` as one script word: in '...' when it holds no apostrophe, else in
// "..." with backslash and quote escaped.
std::string Quoted(const std::string& word) {
  if (word.find('\'') == std::string::npos) return "'" + word + "'";
  std::string quoted = "\"";
  for (char c : word) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view line(reinterpret_cast<const char*>(data), size);
  auto words = vx::cli::ScriptWords(line);
  if (!words) return 0;
  std::string again;
  for (const std::string& word : *words) again += Quoted(word) + " ";
  auto reread = vx::cli::ScriptWords(again);
  if (!reread || *reread != *words) std::abort();
  return 0;
}
