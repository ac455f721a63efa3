// The text form of an identifier.  The sixteen bytes are written in their
// order, two hexadecimal digits each, grouped 4-2-2-2-6 and enclosed in
// braces, so that the text reads the way the constants are written down.

#include <cstddef>
#include <string>
#include <string_view>

#include "vx_taluvek/dispatch.h"
#include "vx_taluvek/error.h"

namespace vx {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Text positions, inside the braces, of the hyphens between the groups.
constexpr size_t kHyphens[] = {8, 13, 18, 23};
constexpr size_t kTextLength = 38;  // braces, 32 digits, 4 hyphens

bool IsHyphenPosition(size_t i) {
  for (size_t h : kHyphens) {
    if (i == h) return true;
  }
  return false;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string Guid::ToString() const {
  std::string text = "{";
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (IsHyphenPosition(text.size() - 1)) text += '-';
    text += kHexDigits[bytes[i] >> 4];
    text += kHexDigits[bytes[i] & 0x0F];
  }
  text += '}';
  return text;
}

Guid Guid::Parse(const std::string& text) {
  if (text.size() != kTextLength || text.front() != '{' || text.back() != '}') {
    Raise(5);
  }
  Guid guid;
  size_t byte = 0;
  std::string_view inner(text.data() + 1, kTextLength - 2);
  for (size_t i = 0; i < inner.size();) {
    if (IsHyphenPosition(i)) {
      if (inner[i] != '-') Raise(5);
      ++i;
      continue;
    }
    int high = HexValue(inner[i]);
    int low = i + 1 < inner.size() ? HexValue(inner[i + 1]) : -1;
    if (high < 0 || low < 0) Raise(5);
    guid.bytes[byte++] = static_cast<uint8_t>(high << 4 | low);
    i += 2;
  }
  return guid;
}

}  // namespace vx
