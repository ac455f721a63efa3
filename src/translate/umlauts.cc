#include "translate/umlauts.h"

#include "platform/text.h"

namespace vx {

namespace {

// The two letters that stand for `cp`, or nullptr when it is no umlaut.
const char* TwoLetters(char32_t cp) {
  switch (cp) {
    case U'Ü': return "Ue";
    case U'ü': return "ue";
    case U'Ä': return "Ae";
    case U'ä': return "ae";
    case U'Ö': return "Oe";
    case U'ö': return "oe";
    case U'ß': return "ss";
    default: return nullptr;
  }
}

}  // namespace

bool UmlauteErsetzen(std::string& text, bool alle, bool& gefunden) {
  gefunden = false;
  bool found = false;
  std::string rewritten;
  rewritten.reserve(text.size() + 8);
  for (size_t i = 0; i < text.size();) {
    const size_t start = i;
    const char* letters = TwoLetters(NextCodePoint(text, &i));
    if (letters == nullptr) {
      rewritten.append(text, start, i - start);
      continue;
    }
    found = true;
    if (!alle) return true;
    rewritten += letters;
  }
  if (alle) {
    text = std::move(rewritten);
    gefunden = found;
  }
  return found;
}

}  // namespace vx
