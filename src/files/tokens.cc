#include "files/tokens.h"

#include "platform/text.h"

namespace vx {

namespace {

// Where `separator` occurs in `text` at or after `start`; 0 when it does
// not, and always for the empty separator, which would otherwise be "found"
// at every position and never move a caller's position on.
size_t FindSeparator(const std::string& text, const std::string& separator,
                     size_t start) {
  return separator.empty() ? 0 : InStr(text, separator, start);
}

}  // namespace

std::string NextToken(int32_t& position, const std::string& text,
                      const std::string& separator) {
  if (Len(separator) > Len(text)) {
    position = 0;
    return text;
  }
  if (position < 1) position = 1;
  size_t start = static_cast<size_t>(position);
  size_t found = FindSeparator(text, separator, start);
  if (found == 0) {
    position = 0;
    return Mid(text, start);
  }
  position = static_cast<int32_t>(found + Len(separator));
  return Mid(text, start, found - start);
}

std::string LastToken(int32_t& position, const std::string& text,
                      const std::string& separator, bool empty_when_missing,
                      bool take_left_part) {
  size_t length = Len(text);
  size_t taken = position > 0 ? static_cast<size_t>(position) : 0;
  if (length < taken || length < Len(separator)) {
    position = 0;
    return "";
  }
  std::string rest = Left(text, length - taken);
  size_t found = separator.empty() ? 0 : InStrRev(rest, separator);
  if (found == 0) {
    position = 0;
    return empty_when_missing ? "" : rest;
  }
  // Everything from the separator on is taken, so that the next call finds
  // the field before it whatever the separator's length.
  position = static_cast<int32_t>(length - found + 1);
  return take_left_part ? Left(rest, found - 1)
                        : Mid(rest, found + Len(separator));
}

std::string GetToken(const Variant& text_value, int32_t n,
                     const std::string& separator, int16_t mode) {
  if (text_value.IsNull() || text_value.IsEmpty()) return "";
  std::string text = CStr(text_value);
  if (text.empty()) return "";
  const bool has_separator = FindSeparator(text, separator, 1) > 0;
  if (!has_separator && n == 1) return text;

  const int64_t field = mode < 0 ? int64_t{n} + 1 : int64_t{n};
  if (field < 1) return mode < 0 ? RTrim(text) : "";
  size_t start = 1;
  for (int64_t k = 1; k < field; ++k) {
    size_t found = FindSeparator(text, separator, start);
    if (found == 0) return mode < 0 ? RTrim(text) : "";
    start = found + Len(separator);
  }

  if (mode > 0) return RTrim(Mid(text, start));
  if (mode < 0) {
    // Field n + 1 begins just after a separator, or at the start (n = 0),
    // where there is nothing before it.
    size_t before = start - 1;
    size_t separator_length = Len(separator);
    return RTrim(Left(text, before > separator_length
                                ? before - separator_length
                                : 0));
  }
  size_t end = FindSeparator(text, separator, start);
  return RTrim(end == 0 ? Mid(text, start) : Mid(text, start, end - start));
}

std::string CutString(const std::string& text, const std::string& part,
                      bool from_left, bool repeat, bool search, bool last) {
  if (part.empty()) return text;
  const size_t part_length = Len(part);
  if (!search && !last) {
    std::string result = text;
    do {
      std::string edge =
          from_left ? Left(result, part_length) : Right(result, part_length);
      if (!EqualsNoCase(edge, part)) break;
      result = from_left ? Mid(result, part_length + 1)
                         : Left(result, Len(result) - part_length);
    } while (repeat && !result.empty());
    return result;
  }
  size_t found = last ? InStrRev(text, part) : InStr(text, part);
  if (found == 0) return text;
  return from_left ? Mid(text, found + part_length) : Left(text, found - 1);
}

}  // namespace vx
