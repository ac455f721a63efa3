#include "engine/text_order.h"

#include "platform/text.h"

namespace vx::dao {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kSharpS = 0xDF;
constexpr char32_t kCapitalSharpS = 0x1E9E;
// Invalid UTF-8 bytes as characters of their own, beyond Unicode.
constexpr char32_t kStrayBase = 0x110000;

// The next character of `s` at *i, a stray byte as kStrayBase + byte.
char32_t NextChar(std::string_view s, size_t* i) {
  const size_t start = *i;
  const char32_t c = NextCodePoint(s, i);
  if (c == kReplacement && *i - start == 1) {
    return kStrayBase + static_cast<unsigned char>(s[start]);
  }
  return c;
}

// The base letters the small Latin-1 letters from "ß" on sort as: one or
// two letters ("ß" as "ss", "æ" as "ae"), or none for "÷".
constexpr const char* kLatin1Base[] = {
    "ss", "a", "a", "a", "a", "a",  "a", "ae", "c", "e", "e", "e", "e",
    "i",  "i", "i", "i", "d", "n",  "o", "o",  "o", "o", "o", nullptr,
    "o",  "u", "u", "u", "u", "y", "th", "y"};

// The letters of one folded character in the first order: up to two.
int SortUnits(char32_t folded, char32_t units[2]) {
  if (folded >= kSharpS && folded <= 0xFF) {
    if (const char* base = kLatin1Base[folded - kSharpS]) {
      units[0] = static_cast<unsigned char>(base[0]);
      if (base[1] == '\0') return 1;
      units[1] = static_cast<unsigned char>(base[1]);
      return 2;
    }
  }
  units[0] = folded;
  return 1;
}

// The folded characters of a text, one by one.
struct FoldedReader {
  std::string_view s;
  size_t i = 0;
  bool done() const { return i >= s.size(); }
  char32_t Next() { return FoldChar(NextChar(s, &i)); }
};

// The letters of a text in the first order, one by one.
struct SortReader {
  FoldedReader folded;
  char32_t pending[2] = {0, 0};
  int count = 0, next = 0;
  bool done() {
    return next == count && folded.done();
  }
  char32_t Next() {
    if (next == count) {
      count = SortUnits(folded.Next(), pending);
      next = 0;
    }
    return pending[next++];
  }
};

template <typename Reader>
int CompareBy(Reader a, Reader b) {
  for (;;) {
    const bool a_done = a.done(), b_done = b.done();
    if (a_done || b_done) return a_done == b_done ? 0 : (a_done ? -1 : 1);
    const char32_t ca = a.Next(), cb = b.Next();
    if (ca != cb) return ca < cb ? -1 : 1;
  }
}

std::vector<char32_t> FoldedChars(std::string_view s) {
  std::vector<char32_t> chars;
  chars.reserve(s.size());
  for (FoldedReader r{s}; !r.done();) chars.push_back(r.Next());
  return chars;
}

}  // namespace

char32_t FoldChar(char32_t c) {
  if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
  if (c == kCapitalSharpS) return kSharpS;
  if (c >= kStrayBase) return c;
  const char32_t folded = ToLowerChar(ToUpperChar(c));
  return folded < 0x80 ? c : folded;
}

int CompareTexts(std::string_view a, std::string_view b) {
  const int first = CompareBy(SortReader{FoldedReader{a}}, SortReader{FoldedReader{b}});
  if (first != 0) return first;
  return CompareBy(FoldedReader{a}, FoldedReader{b});
}

std::optional<std::vector<std::string>> CaseVariants(std::string_view text,
                                                     size_t limit) {
  std::vector<std::string> variants{std::string()};
  for (size_t i = 0; i < text.size();) {
    const size_t start = i;
    const char32_t c = NextChar(text, &i);
    if (c < 0x80 || c >= kStrayBase) {
      for (std::string& v : variants) v.append(text.substr(start, i - start));
      continue;
    }
    const char32_t folded = FoldChar(c);
    std::vector<char32_t> forms;
    for (char32_t form : {folded, ToUpperChar(folded), kCapitalSharpS}) {
      bool seen = false;
      for (char32_t f : forms) seen = seen || f == form;
      if (!seen && FoldChar(form) == folded) forms.push_back(form);
    }
    if (variants.size() * forms.size() > limit) return std::nullopt;
    std::vector<std::string> next;
    next.reserve(variants.size() * forms.size());
    for (const std::string& v : variants) {
      for (char32_t form : forms) {
        next.push_back(v);
        // The character as written where it is its own form: a text
        // keeps its bytes.
        if (form == c) {
          next.back().append(text.substr(start, i - start));
        } else {
          AppendUtf8(&next.back(), form);
        }
      }
    }
    variants = std::move(next);
  }
  return variants;
}

bool LikeMatches(std::string_view pattern, std::string_view text,
                 std::optional<char32_t> escape) {
  // The pattern as folded characters, with its wildcards marked.
  enum class Kind { kChar, kOne, kMany };
  struct Item {
    Kind kind;
    char32_t c;
  };
  std::vector<Item> items;
  for (size_t i = 0; i < pattern.size();) {
    const char32_t c = NextChar(pattern, &i);
    if (escape && c == *escape) {
      if (i >= pattern.size()) return false;
      items.push_back({Kind::kChar, FoldChar(NextChar(pattern, &i))});
    } else if (c == '%') {
      if (items.empty() || items.back().kind != Kind::kMany) {
        items.push_back({Kind::kMany, 0});
      }
    } else if (c == '_') {
      items.push_back({Kind::kOne, 0});
    } else {
      items.push_back({Kind::kChar, FoldChar(c)});
    }
  }
  const std::vector<char32_t> chars = FoldedChars(text);
  // Greedy matching that goes back to the last "%" on a mismatch.
  constexpr size_t kNone = static_cast<size_t>(-1);
  size_t p = 0, t = 0, star = kNone, resume = 0;
  while (t < chars.size()) {
    if (p < items.size() &&
        (items[p].kind == Kind::kOne ||
         (items[p].kind == Kind::kChar && items[p].c == chars[t]))) {
      ++p, ++t;
    } else if (p < items.size() && items[p].kind == Kind::kMany) {
      star = p++;
      resume = t;
    } else if (star != kNone) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < items.size() && items[p].kind == Kind::kMany) ++p;
  return p == items.size();
}

}  // namespace vx::dao
