#include "files/temp_dir.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "files/long_path.h"
#include "files/path_utils.h"
#include "platform/text.h"
#include "vx_taluvek/host.h"

namespace vx {

namespace {

// The value of `entry` ("NAME=value") when its name holds `prefix` (upper
// case) at its start or after a blank, as the names "TMPDIR" or
// "USER TEMP" do; nullopt for other entries and blank values.  Only the
// name is searched: a value that mentions "TEMP" names no folder.
std::optional<std::string> TempValue(const std::string& entry,
                                     const std::string& prefix) {
  size_t equals = InStr(entry, "=");
  if (equals == 0) return std::nullopt;
  std::string name = UCase(Left(entry, equals - 1));
  size_t at = InStr(name, prefix);
  if (at == 0 || (at > 1 && Mid(name, at - 1, 1) != " ")) return std::nullopt;
  std::string value = Trim(Mid(entry, equals + 1));
  if (value.empty()) return std::nullopt;
  return value;
}

std::string FromEnvironment() {
  for (const std::string& entry : CurrentHost().Environment()) {
    for (const char* prefix : {"TEMP", "TMP"}) {
      if (std::optional<std::string> value = TempValue(entry, prefix)) {
        return *value;
      }
    }
  }
  return "";
}

std::string PlatformTempDirectory() {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  return error ? std::string("/tmp") : folder.string();
}

}  // namespace

std::string GetTempVerzeichnis(bool long_form) {
  std::string folder = FromEnvironment();
  if (folder.empty()) folder = PlatformTempDirectory();
  folder = AddBackslash(Replace(folder, "/", "\\"));
  return long_form ? File_getLongPath(folder) : folder;
}

}  // namespace vx
