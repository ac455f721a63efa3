#include "files/long_path.h"

#include <algorithm>
#include <vector>

#include "config/developer_mode.h"
#include "platform/text.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/host.h"

namespace vx {

namespace {


// The length in bytes of the part of `path` that names its drive or share
// ("C:", "\\server\share"), 0 for a path without.  That part is not looked
// up: it is no name in a folder.
size_t RootLength(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':' &&
      ((path[0] >= 'A' && path[0] <= 'Z') ||
       (path[0] >= 'a' && path[0] <= 'z'))) {
    return 2;
  }
  if (!path.starts_with("\\\\")) return 0;
  size_t server_end = path.find('\\', 2);
  if (server_end == std::string::npos) return path.size();
  return std::min(path.find('\\', server_end + 1), path.size());
}

// One name of a path and the separator written before it ("\" or "/";
// none before the first).
struct PathName {
  char separator = 0;
  std::string name;
};

// The names of `text`, split at "\" and at "/", each with the separator
// before it, so that the path is put together again as it was written.
std::vector<PathName> SplitAtSeparators(const std::string& text) {
  std::vector<PathName> parts;
  char separator = 0;
  size_t start = 0;
  for (;;) {
    size_t end = text.find_first_of("\\/", start);
    if (end == std::string::npos) {
      parts.push_back({separator, text.substr(start)});
      return parts;
    }
    parts.push_back({separator, text.substr(start, end - start)});
    separator = text[end];
    start = end + 1;
  }
}

// `path` with every name looked up; raises 53 for a missing folder.
std::string LongPath(const std::string& path) {
  constexpr int32_t kEveryEntry = kAttrDirectory | kAttrHidden;
  Host& host = CurrentHost();
  const size_t root_length = RootLength(path);
  std::string built = path.substr(0, root_length);
  std::vector<PathName> names = SplitAtSeparators(path.substr(root_length));
  for (size_t k = 0; k < names.size(); ++k) {
    const std::string& name = names[k].name;
    if (k > 0) built += names[k].separator;
    if (name.empty() || name == "." || name == "..") {
      built += name;
      continue;
    }
    std::vector<std::string> found = host.Dir(built + name, kEveryEntry);
    if (found.empty()) {
      if (k + 1 < names.size()) Raise(kErrFileNotFound);
      built += name;
    } else if (std::find(found.begin(), found.end(), name) != found.end()) {
      built += name;  // held in exactly this case (among others)
    } else {
      built += found.front();
    }
  }
  return built;
}

}  // namespace

std::string File_getLongPath(const std::string& path) {
  if (InStr(path, "~") == 0) return path;
  try {
    return LongPath(path);
  } catch (const Error& e) {
    std::string message = "Fehler: " + std::to_string(e.number()) + " " +
                          e.description() + " in File_getLongPath";
    if (bIstEntwicklung()) {
      CurrentHost().MsgBox(message, kSystemModal, "bIstEntwicklung");
    }
    Err().Clear();
    return path;
  }
}

}  // namespace vx
