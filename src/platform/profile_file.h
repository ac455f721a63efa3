// The text of a settings file: named sections of "key=value" lines.
//
//   ; a comment
//   [Datei Verzeichnisse]
//   Projekte = "C:\Daten\Projekte\"
//
// A section runs from its header "[name]" to the next header.  Section names
// and keys compare without regard to case, after blanks and tabs around them
// are removed.  Lines whose first non-blank character is ";" are comments;
// lines that are neither headers nor "key=value" are kept but mean nothing.
// Lines end in LF or CRLF (a CR that ends the file ends its last line), and
// a file may begin with a UTF-8 byte order mark.
//
// These functions work on a file's whole content, so that the format stays
// apart from how the file is read and replaced (see LinuxHost).

#ifndef VX_PLATFORM_PROFILE_FILE_H_
#define VX_PLATFORM_PROFILE_FILE_H_

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vx {

// The value of `key` in the first section named `section` of `content`,
// trimmed of blanks and tabs and then of one pair of enclosing quotes ("..."
// or '...'); nullopt when that section or the key in it is missing.
std::optional<std::string> FindProfileValue(std::string_view content,
                                            std::string_view section,
                                            std::string_view key);

// Whether `key`=`value` in `section` can be stored so that FindProfileValue
// finds it again: names that are not empty, no line breaks anywhere, no "]"
// in the section name, and a key that neither contains "=" nor begins with
// ";" or "[".
bool IsStorableProfileEntry(std::string_view section, std::string_view key,
                            std::string_view value);

// `content` with `key` set to `value` in the first section named `section`.
// The first line of that section holding the key is replaced; without one,
// the key is added after the section's last non-blank line; without the
// section, the section is added at the end.  Every other byte stays as it
// was, and new lines end the way the file's first line does (LF when it has
// none).  A value that reading would change (blanks at either end, or
// enclosing quotes) is written in quotes, so that it reads back unchanged.
// Requires IsStorableProfileEntry(section, key, value).
std::string WithProfileValue(std::string_view content, std::string_view section,
                             std::string_view key, std::string_view value);

// A content read once for many lookups: Find answers exactly as
// FindProfileValue on the same content does.
class ProfileIndex {
 public:
  explicit ProfileIndex(std::string_view content);

  std::optional<std::string> Find(std::string_view section,
                                  std::string_view key) const;

 private:
  // Values by section and key, both in the form in which names compare.
  std::unordered_map<std::string, std::unordered_map<std::string, std::string>>
      sections_;
};

}  // namespace vx

#endif  // VX_PLATFORM_PROFILE_FILE_H_
