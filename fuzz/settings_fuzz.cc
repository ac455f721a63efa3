// A value written into a settings file reads back as written, or the write
// refuses it; the write changes no other entry, and the parsed index of a
// file answers exactly as reading its text does.  The file's text is
// anything at all: carriage returns, stray bytes, half lines.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/profile_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  std::string section = input.ConsumeRandomLengthString(24);
  std::string key = input.ConsumeRandomLengthString(24);
  std::string value = input.ConsumeRandomLengthString(48);
  std::string other_section = input.ConsumeRandomLengthString(24);
  std::string other_key = input.ConsumeRandomLengthString(24);
  std::string content = input.ConsumeRemainingBytesAsString();

  vx::ProfileIndex index(content);
  if (index.Find(section, key) != vx::FindProfileValue(content, section, key) ||
      index.Find(other_section, other_key) !=
          vx::FindProfileValue(content, other_section, other_key)) {
    std::abort();
  }
  if (!vx::IsStorableProfileEntry(section, key, value)) return 0;

  std::string written = vx::WithProfileValue(content, section, key, value);
  if (vx::FindProfileValue(written, section, key) != value) std::abort();
  if (vx::ProfileIndex(written).Find(section, key) != value) std::abort();
  // Another entry keeps its value, unless it names the same one.
  bool same_entry =
      vx::FindProfileValue(vx::WithProfileValue("", section, key, "x"),
                           other_section, other_key)
          .has_value();
  if (!same_entry && vx::IsStorableProfileEntry(other_section, other_key, "") &&
      vx::FindProfileValue(written, other_section, other_key) !=
          vx::FindProfileValue(content, other_section, other_key)) {
    std::abort();
  }
  return 0;
}
