#include "platform/path_mapping.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "platform/text.h"
#include "vx_taluvek/error.h"

namespace vx {
namespace {

constexpr int32_t kPathNotFound = 76;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

size_t FindSeparator(std::string_view path, size_t from) {
  return path.find_first_of("\\/", from);
}

// Appends `tail` to *out with "\" as "/" and runs of separators as one.
void AppendWithSlashes(std::string* out, std::string_view tail) {
  for (char c : tail) {
    if (!IsSeparator(c)) {
      out->push_back(c);
    } else if (out->empty() || out->back() != '/') {
      out->push_back('/');
    }
  }
}

bool HasDriveLetter(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') ||
          (path[0] >= 'a' && path[0] <= 'z'));
}

bool HasSharePrefix(std::string_view path) {
  return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

// The name in `folder` that equals `name` without regard to case, the
// smallest in byte order should several do; nullopt when none does.
std::optional<std::string> FindNameNoCase(const std::string& folder,
                                          std::string_view name) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
  if (!dir) return std::nullopt;
  std::optional<std::string> found;
  while (const dirent* entry = readdir(dir.get())) {
    std::string_view candidate = entry->d_name;
    if (EqualsNoCase(candidate, name) && (!found || candidate < *found)) {
      found = std::string(candidate);
    }
  }
  return found;
}

}  // namespace

std::string ToHostPath(std::string_view path, const DriveFolderLookup& lookup) {
  std::string out;
  if (!HasDriveLetter(path) && !HasSharePrefix(path)) {
    AppendWithSlashes(&out, path);
    return out;
  }
  std::string drive;
  size_t rest_at;
  if (HasDriveLetter(path)) {
    drive = std::string(path.substr(0, 2));
    rest_at = 2;
  } else {
    size_t server_end = FindSeparator(path, 2);
    if (server_end == std::string_view::npos || server_end == 2) {
      Raise(kPathNotFound);
    }
    rest_at = std::min(FindSeparator(path, server_end + 1), path.size());
    if (rest_at == server_end + 1) Raise(kPathNotFound);  // no share name
    drive = "\\\\";
    drive.append(path.substr(2, server_end - 2));
    drive += '\\';
    drive.append(path.substr(server_end + 1, rest_at - server_end - 1));
  }
  std::optional<std::string> folder = lookup(drive);
  if (folder && !folder->empty()) {
    out = std::move(*folder);
    while (out.size() > 1 && out.back() == '/') out.pop_back();
  } else if (EqualsNoCase(drive, "C:")) {
    out = "/";
  } else {
    Raise(kPathNotFound);
  }
  std::string_view tail = path.substr(rest_at);
  size_t first_name = tail.find_first_not_of("\\/");
  if (first_name == std::string_view::npos) return out;
  if (out.back() != '/') out += '/';
  AppendWithSlashes(&out, tail.substr(first_name));
  return out;
}

FolderAndName SplitFolderAndName(std::string_view path) {
  size_t last_separator = path.find_last_of("\\/");
  size_t name_at = last_separator != std::string_view::npos ? last_separator + 1
                   : HasDriveLetter(path)                   ? 2
                                                            : 0;
  return {std::string(path.substr(0, name_at)),
          std::string(path.substr(name_at))};
}

std::string MatchNameCase(const std::string& host_path) {
  struct stat st;
  if (host_path.empty() || lstat(host_path.c_str(), &st) == 0) {
    return host_path;
  }
  std::string out = host_path.front() == '/' ? "/" : "";
  // Once a name has no match, nothing below it can exist.
  bool matching = true;
  size_t at = 0;
  while (at < host_path.size()) {
    size_t end = host_path.find('/', at);
    if (end == std::string::npos) end = host_path.size();
    std::string_view name(host_path.data() + at, end - at);
    at = end + 1;
    if (name.empty()) continue;
    if (!out.empty() && out.back() != '/') out += '/';
    size_t folder_length = out.size();
    out.append(name);
    if (!matching || name == "." || name == ".." ||
        lstat(out.c_str(), &st) == 0) {
      continue;
    }
    std::optional<std::string> found = FindNameNoCase(
        folder_length == 0 ? "." : out.substr(0, folder_length), name);
    if (found) {
      out.replace(folder_length, std::string::npos, *found);
    } else {
      matching = false;
    }
  }
  if (host_path.back() == '/' && out.back() != '/') out += '/';
  return out;
}

}  // namespace vx
