// The run time's text functions on UTF-8 texts.
//
// Texts are walked code point by code point with NextCodePoint, so a byte
// that is not part of a valid sequence counts as one character of its own
// and is never split or dropped: slicing functions copy the original bytes,
// and the case functions copy such a byte unchanged.

#include "platform/text.h"

#include "vx_taluvek/error.h"

namespace vx {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Whether NextCodePoint, having consumed `consumed` bytes for `cp`, met a
// stray byte rather than a character (a real U+FFFD takes three bytes).
bool IsStrayByte(char32_t cp, size_t consumed) {
  return cp == kReplacement && consumed == 1;
}

// In Latin Extended-A a capital and its small letter are neighbours; the
// capital comes first, on an even code point except in these two runs.
bool CapitalIsOdd(char32_t c) {
  return (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
}

// The simple case mappings of ASCII, Latin-1 and Latin Extended-A.
}  // namespace

char32_t ToUpperChar(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
  if (c == 0xFF) return 0x178;
  if (c < 0x100 || c > 0x17F) return c;
  if (c == 0x131) return 'I';              // dotless i
  if (c == 0x17F) return 'S';              // long s
  if (c == 0x138 || c == 0x149) return c;  // kra, n with apostrophe: no capital
  bool is_small = (c % 2 == 1) != CapitalIsOdd(c);
  return is_small ? c - 1 : c;
}

char32_t ToLowerChar(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 0x20 : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  if (c < 0x100 || c > 0x17F) return c;
  if (c == 0x130) return 'i';  // capital I with dot
  if (c == 0x178) return 0xFF;
  if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
  bool is_capital = (c % 2 == 1) == CapitalIsOdd(c);
  return is_capital ? c + 1 : c;
}

namespace {

template <typename Map>
std::string MapCase(std::string_view s, Map map) {
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    size_t start = i;
    char32_t cp = NextCodePoint(s, &i);
    if (IsStrayByte(cp, i - start)) {
      out += s[start];
    } else {
      AppendUtf8(&out, map(cp));
    }
  }
  return out;
}

// Number of characters in the byte range [0, end) of `s`.
size_t CharsBefore(std::string_view s, size_t end) {
  size_t count = 0;
  size_t i = 0;
  while (i < end) {
    NextCodePoint(s, &i);
    ++count;
  }
  return count;
}

// Whether byte offset `b` starts a character when `s` is walked from its
// start.
bool IsCharBoundary(std::string_view s, size_t b) {
  size_t i = 0;
  while (i < b) NextCodePoint(s, &i);
  return i == b;
}

}  // namespace

char32_t NextCodePoint(std::string_view s, size_t* i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  size_t at = *i;
  unsigned char lead = byte(at);
  if (lead < 0x80) {
    ++*i;
    return lead;
  }
  size_t length;
  char32_t cp;
  char32_t min;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, cp = lead & 0x1Fu, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, cp = lead & 0x0Fu, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, cp = lead & 0x07u, min = 0x10000;
  } else {
    ++*i;
    return kReplacement;
  }
  if (at + length > s.size()) {
    ++*i;
    return kReplacement;
  }
  for (size_t k = 1; k < length; ++k) {
    unsigned char next = byte(at + k);
    if ((next & 0xC0) != 0x80) {
      ++*i;
      return kReplacement;
    }
    cp = (cp << 6) | (next & 0x3Fu);
  }
  // Overlong forms, UTF-16 surrogates and values beyond Unicode are invalid.
  if (cp < min || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
    ++*i;
    return kReplacement;
  }
  *i += length;
  return cp;
}

bool IsUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const size_t at = i;
    const char32_t cp = NextCodePoint(s, &i);
    if (IsStrayByte(cp, i - at)) return false;
  }
  return true;
}

void AppendUtf8(std::string* out, char32_t cp) {
  if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = kReplacement;
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

size_t Len(std::string_view s) { return CharsBefore(s, s.size()); }

size_t ByteOffsetOfChar(std::string_view s, size_t pos) {
  size_t i = 0;
  for (size_t n = 1; n < pos && i < s.size(); ++n) NextCodePoint(s, &i);
  return i;
}

std::string Left(std::string_view s, size_t n) {
  if (n >= s.size()) return std::string(s);  // never more characters than bytes
  return std::string(s.substr(0, ByteOffsetOfChar(s, n + 1)));
}

std::string Right(std::string_view s, size_t n) {
  size_t length = Len(s);
  if (n >= length) return std::string(s);
  return std::string(s.substr(ByteOffsetOfChar(s, length - n + 1)));
}

std::string Mid(std::string_view s, size_t start, size_t length) {
  if (start == 0) Raise(5);
  return Left(s.substr(ByteOffsetOfChar(s, start)), length);
}

size_t InStr(std::string_view s, std::string_view pattern, size_t start) {
  if (start == 0) Raise(5);
  size_t length = Len(s);
  if (start > length + 1) return 0;
  if (pattern.empty()) return start;
  size_t from = ByteOffsetOfChar(s, start);
  for (size_t b = s.find(pattern, from); b != std::string_view::npos;
       b = s.find(pattern, b + 1)) {
    if (IsCharBoundary(s, b)) return CharsBefore(s, b) + 1;
  }
  return 0;
}

size_t InStrRev(std::string_view s, std::string_view pattern) {
  if (s.empty()) return 0;
  if (pattern.empty()) return Len(s);
  for (size_t b = s.rfind(pattern); b != std::string_view::npos;
       b = b == 0 ? std::string_view::npos : s.rfind(pattern, b - 1)) {
    if (IsCharBoundary(s, b)) return CharsBefore(s, b) + 1;
  }
  return 0;
}

std::string UCase(std::string_view s) { return MapCase(s, ToUpperChar); }
std::string LCase(std::string_view s) { return MapCase(s, ToLowerChar); }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    size_t a_start = i;
    size_t b_start = j;
    char32_t ca = NextCodePoint(a, &i);
    char32_t cb = NextCodePoint(b, &j);
    bool a_stray = IsStrayByte(ca, i - a_start);
    bool b_stray = IsStrayByte(cb, j - b_start);
    if (a_stray || b_stray) {
      // Stray bytes only match the same stray byte.
      if (!(a_stray && b_stray && a[a_start] == b[b_start])) return false;
    } else if (ToUpperChar(ca) != ToUpperChar(cb)) {
      return false;
    }
  }
  return i == a.size() && j == b.size();
}

std::string LTrim(std::string_view s) {
  size_t first = s.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string()
                                         : std::string(s.substr(first));
}

std::string RTrim(std::string_view s) {
  size_t last = s.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string()
                                        : std::string(s.substr(0, last + 1));
}

std::string Trim(std::string_view s) { return std::string(TrimmedView(s)); }

std::string_view TrimmedView(std::string_view s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') + 1 - first);
}

std::string Replace(std::string_view s, std::string_view from,
                    std::string_view to) {
  if (from.empty()) return std::string(s);
  std::string out;
  size_t done = 0;
  for (size_t b = s.find(from); b != std::string_view::npos;
       b = s.find(from, done)) {
    out.append(s.substr(done, b - done));
    out.append(to);
    done = b + from.size();
  }
  out.append(s.substr(done));
  return out;
}

}  // namespace vx
