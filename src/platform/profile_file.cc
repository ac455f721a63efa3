#include "platform/profile_file.h"

#include <algorithm>

#include "platform/text.h"

namespace vx {
namespace {

constexpr size_t kNone = std::string_view::npos;
constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view TrimBlanks(std::string_view s) {
  size_t first = s.find_first_not_of(kBlanks);
  if (first == kNone) return {};
  return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

// `value` without one pair of enclosing quotes.
std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// One line of a content: [begin, text_end) is its text, [text_end, next)
// its line end, empty for a last line without one.
struct Line {
  size_t begin = kNone;
  size_t text_end = kNone;
  size_t next = kNone;
};

// Lines end in LF or CRLF; a CR that ends the file ends its last line too,
// as in a file cut off after it, so that adding the LF later changes no
// value.
Line LineAt(std::string_view content, size_t begin) {
  size_t newline = content.find('\n', begin);
  if (newline == kNone) {
    bool cr = content.size() > begin && content.back() == '\r';
    return {begin, cr ? content.size() - 1 : content.size(), content.size()};
  }
  bool crlf = newline > begin && content[newline - 1] == '\r';
  return {begin, crlf ? newline - 1 : newline, newline + 1};
}

// Whether `line` ends in LF (and so the next line can simply follow it).
bool EndsInNewline(std::string_view content, const Line& line) {
  return line.next > line.begin && content[line.next - 1] == '\n';
}

// The blanks-trimmed name or key in the form in which names compare: two
// names are the same when their keys are equal.
std::string NameKey(std::string_view name) {
  name = TrimBlanks(name);
  // Most names are ASCII, whose capitals need no decoding (the same as
  // UCase gives).
  if (std::all_of(name.begin(), name.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    std::string key(name);
    for (char& c : key) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return key;
  }
  return UCase(name);
}

// The text of `line`, without the byte order mark that may begin a file.
std::string_view LineText(std::string_view content, const Line& line) {
  std::string_view text = content.substr(line.begin, line.text_end - line.begin);
  if (line.begin == 0 && text.starts_with(kByteOrderMark)) {
    text.remove_prefix(kByteOrderMark.size());
  }
  return text;
}

// The name in a header line "[name]" (the line trimmed); nullopt for other
// lines.  Text after the "]" is ignored.
std::optional<std::string_view> HeaderName(std::string_view trimmed) {
  if (trimmed.empty() || trimmed.front() != '[') return std::nullopt;
  size_t close = trimmed.find(']');
  if (close == kNone) return std::nullopt;
  return TrimBlanks(trimmed.substr(1, close - 1));
}

// The key of a "key=value" line (the line trimmed); nullopt for comments
// and for lines without "=" or without a key.
std::optional<std::string_view> EntryKey(std::string_view trimmed) {
  size_t equals = trimmed.find('=');
  if (equals == kNone || trimmed.front() == ';') return std::nullopt;
  std::string_view key = TrimBlanks(trimmed.substr(0, equals));
  if (key.empty()) return std::nullopt;
  return key;
}

// The value of an entry line: what follows its first "=", trimmed and
// without one pair of enclosing quotes.
std::string_view EntryValue(std::string_view line_text) {
  return Unquote(TrimBlanks(line_text.substr(line_text.find('=') + 1)));
}

// Where a key of a section stands in a content.
struct EntryPlace {
  bool section_found = false;
  // The first line of the section that holds the key; begin is kNone when
  // there is none.
  Line entry;
  // The last non-blank line of the section: its header when it has no
  // other.
  Line last_line;
};

EntryPlace Locate(std::string_view content, std::string_view section,
                  std::string_view key) {
  const std::string section_key = NameKey(section);
  const std::string entry_key = NameKey(key);
  EntryPlace place;
  bool inside = false;
  for (size_t at = 0; at < content.size();) {
    Line line = LineAt(content, at);
    at = line.next;
    std::string_view trimmed = TrimBlanks(LineText(content, line));
    if (std::optional<std::string_view> header = HeaderName(trimmed)) {
      if (inside) break;  // only the first section of that name counts
      if (NameKey(*header) == section_key) {
        inside = true;
        place.section_found = true;
        place.last_line = line;
      }
      continue;
    }
    if (!inside || trimmed.empty()) continue;
    place.last_line = line;
    if (place.entry.begin == kNone) {
      std::optional<std::string_view> line_key = EntryKey(trimmed);
      if (line_key && NameKey(*line_key) == entry_key) place.entry = line;
    }
  }
  return place;
}

// The line end of new lines: the one of the first line.
std::string_view LineEndOf(std::string_view content) {
  Line first = LineAt(content, 0);
  return first.text_end < first.next && content[first.text_end] == '\r'
             ? "\r\n"
             : "\n";
}

// Ends the last line of `out` when it has no LF; a CR there is the start
// of its line end already.
void EndLastLine(std::string* out, std::string_view line_end) {
  if (out->empty() || out->ends_with('\n')) return;
  out->append(out->ends_with('\r') ? "\n" : line_end);
}

bool EndsWithBlankLine(std::string_view content) {
  if (content.ends_with('\n')) content.remove_suffix(1);
  if (content.ends_with('\r')) content.remove_suffix(1);
  size_t last_newline = content.rfind('\n');
  std::string_view last_line =
      last_newline == kNone ? content : content.substr(last_newline + 1);
  return TrimBlanks(last_line).empty();
}

std::string EntryLine(std::string_view key, std::string_view value) {
  std::string line(TrimBlanks(key));
  line += '=';
  bool reading_changes_it =
      TrimBlanks(value).size() != value.size() || Unquote(value) != value;
  if (reading_changes_it) {
    line += '"';
    line += value;
    line += '"';
  } else {
    line += value;
  }
  return line;
}

}  // namespace

std::optional<std::string> FindProfileValue(std::string_view content,
                                            std::string_view section,
                                            std::string_view key) {
  EntryPlace place = Locate(content, section, key);
  if (place.entry.begin == kNone) return std::nullopt;
  return std::string(EntryValue(LineText(content, place.entry)));
}

ProfileIndex::ProfileIndex(std::string_view content) {
  // The section whose lines are being read; none before the first header
  // and in a second section of a name already seen.
  std::unordered_map<std::string, std::string>* section = nullptr;
  for (size_t at = 0; at < content.size();) {
    Line line = LineAt(content, at);
    at = line.next;
    std::string_view trimmed = TrimBlanks(LineText(content, line));
    if (std::optional<std::string_view> header = HeaderName(trimmed)) {
      auto [place, is_new] = sections_.try_emplace(NameKey(*header));
      section = is_new ? &place->second : nullptr;
      continue;
    }
    if (section == nullptr || trimmed.empty()) continue;
    if (std::optional<std::string_view> key = EntryKey(trimmed)) {
      section->try_emplace(NameKey(*key), EntryValue(trimmed));
    }
  }
}

std::optional<std::string> ProfileIndex::Find(std::string_view section,
                                              std::string_view key) const {
  auto found_section = sections_.find(NameKey(section));
  if (found_section == sections_.end()) return std::nullopt;
  auto found = found_section->second.find(NameKey(key));
  if (found == found_section->second.end()) return std::nullopt;
  return found->second;
}

bool IsStorableProfileEntry(std::string_view section, std::string_view key,
                            std::string_view value) {
  const auto has_line_break = [](std::string_view s) {
    return s.find_first_of("\r\n") != kNone;
  };
  if (has_line_break(section) || has_line_break(key) || has_line_break(value)) {
    return false;
  }
  std::string_view name = TrimBlanks(section);
  std::string_view trimmed_key = TrimBlanks(key);
  return !name.empty() && name.find(']') == kNone && !trimmed_key.empty() &&
         trimmed_key.find('=') == kNone && trimmed_key.front() != ';' &&
         trimmed_key.front() != '[';
}

std::string WithProfileValue(std::string_view content, std::string_view section,
                             std::string_view key, std::string_view value) {
  const std::string_view line_end = LineEndOf(content);
  const std::string entry = EntryLine(key, value);
  EntryPlace place = Locate(content, section, key);
  std::string out;
  if (place.entry.begin != kNone) {
    out.append(content.substr(0, place.entry.begin));
    out.append(entry);
    out.append(content.substr(place.entry.text_end));
  } else if (place.section_found) {
    const Line& last = place.last_line;
    out.append(content.substr(0, last.next));
    if (EndsInNewline(content, last)) {
      out.append(entry);
      out.append(line_end);
    } else {  // the file's last line, without LF
      EndLastLine(&out, line_end);
      out.append(entry);
    }
    out.append(content.substr(last.next));
  } else {
    out.append(content);
    EndLastLine(&out, line_end);
    if (!out.empty() && !EndsWithBlankLine(out)) out.append(line_end);
    out.append("[");
    out.append(TrimBlanks(section));
    out.append("]");
    out.append(line_end);
    out.append(entry);
    out.append(line_end);
  }
  return out;
}

}  // namespace vx
