// Windows-form paths on the host's file system.
//
// The suite names files as "C:\Daten\PROJEKT.VX3DB" or "\\server\share\P",
// and its names are not case-sensitive.  A path is mapped in two steps:
// ToHostPath turns the text into a host path through the drive table, and
// MatchNameCase finds the names that exist in another case.

#ifndef VX_PLATFORM_PATH_MAPPING_H_
#define VX_PLATFORM_PATH_MAPPING_H_

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vx {

// The host folder of a drive: "T:" or "\\server\share" as the path spells
// it (with backslashes); nullopt when the drive table has no entry.
using DriveFolderLookup =
    std::function<std::optional<std::string>(const std::string& drive)>;

// The host path of `path`: "\" becomes "/" and runs of separators become
// one; a path beginning with a single separator is a host path, as is one
// without a prefix (relative to the working folder).  A drive letter "X:"
// or a "\\server\share" prefix is replaced by its folder from `lookup`;
// without an entry "C:" stands for the root "/".  A drive alone ("C:",
// "C:\", "\\server\share") maps to its folder.  Raises 76 "Path not found"
// for a drive or share that has no folder, and for "\\" prefixes that name
// no share.
std::string ToHostPath(std::string_view path, const DriveFolderLookup& lookup);

// A Windows-form path split after its last separator, or after the colon
// of a drive letter when it has none: "C:\Daten\*.INI" gives "C:\Daten\"
// and "*.INI", "C:x" gives "C:" and "x", "x" gives "" and "x".
struct FolderAndName {
  std::string folder;
  std::string name;
};
FolderAndName SplitFolderAndName(std::string_view path);

// `host_path` with each name that does not exist in exactly its case
// replaced by a name of the same folder that equals it without regard to
// case (the smallest in byte order, should several).  A name without such
// a match, and everything after it, is kept as given, so that a new file
// can be created under it.  An existing path costs one lstat.
std::string MatchNameCase(const std::string& host_path);

}  // namespace vx

#endif  // VX_PLATFORM_PATH_MAPPING_H_
