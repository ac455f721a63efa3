#include "files/path_utils.h"

#include <filesystem>
#include <system_error>

#include "files/tokens.h"
#include "platform/text.h"

namespace vx {

namespace {

// The working directory in the suite's path form; "" when it cannot be
// read (it was removed).
std::string CurrentDirectory() {
  std::error_code error;
  std::filesystem::path current = std::filesystem::current_path(error);
  if (error) return "";
  return Replace(current.string(), "/", "\\");
}

}  // namespace

std::string AddBackslash(const std::string& text) {
  if (text.empty() || text.back() == '\\') return text;
  return text + "\\";
}

std::string GetFileName(const std::string& path, bool strip_extension) {
  size_t separator = InStrRev(path, "\\");
  if (separator == 0) separator = InStrRev(path, ":");
  std::string name = Mid(path, separator + 1);
  if (strip_extension) {
    size_t point = InStrRev(name, ".");
    if (point > 0) name = Left(name, point - 1);
  }
  return name;
}

PathParts SplitPath(const std::string& path) {
  std::string full = path;
  if (InStr(full, "\\") == 0) full = AddBackslash(CurrentDirectory()) + full;

  // Only a colon ahead of every "\" names a drive; one further on is part
  // of a name, as host file names may hold it.  A path without a drive keeps
  // an empty one: network paths have none, and neither has the working
  // directory of a host process that could stand in.
  PathParts parts;
  size_t colon = InStr(full, ":");
  if (colon > 0 && colon < InStr(full, "\\")) parts.drive = Left(full, colon);

  size_t drive_length = Len(parts.drive);
  size_t last = InStrRev(full, "\\");
  if (last < drive_length) last = drive_length;
  parts.file = Mid(full, last + 1);
  if (last > drive_length) {
    parts.directory = Mid(full, drive_length + 1, last - drive_length);
  }
  if (Len(parts.directory) > 1 && parts.directory.back() == '\\') {
    parts.directory.pop_back();
  }
  return parts;
}

FileNameParts SplitFileName(const std::string& path) {
  PathParts split = SplitPath(path);
  FileNameParts parts;
  parts.drive = std::move(split.drive);
  parts.directory = std::move(split.directory);
  parts.file = std::move(split.file);
  parts.drive_and_directory = parts.drive + parts.directory;
  size_t point = InStrRev(parts.file, ".");
  if (point < 2) {
    parts.name = parts.file;
    parts.path_without_extension = path;
    return parts;
  }
  parts.name = Left(parts.file, point - 1);
  parts.extension = Mid(parts.file, point + 1);
  parts.path_without_extension = CutString(path, ".", false, false, false, true);
  return parts;
}

void SplitDoubleUnderscore(const std::string& path, std::string& first,
                           std::string& second, bool force) {
  if (!force && InStr(path, "__") == 0) return;
  std::string name = GetFileName(path, true);
  int32_t position = 0;
  first = NextToken(position, name, "__");
  if (InStr(name, "___") > 0) first += "_";
  int32_t taken_from_right = 0;
  second = LastToken(taken_from_right, name, "__", true, false);
}

}  // namespace vx
