// Splitting and joining the suite's Windows-form paths as texts.
//
// Nothing here touches the file system: "C:\Daten\P.VX3DB" is taken apart
// at its "\" and ":" whether or not the file exists.  Positions count
// characters.

#ifndef VX_FILES_PATH_UTILS_H_
#define VX_FILES_PATH_UTILS_H_

#include <string>

namespace vx {

// `text` with "\" appended, unless it is empty or already ends in "\".
std::string AddBackslash(const std::string& text);

// The part of `path` after its last "\" (after its last ":" when it has no
// "\"); with `strip_extension` cut before its last "." when it has one.
// "C:\Daten\P.VX3DB" gives "P.VX3DB", or "P" with `strip_extension`.
std::string GetFileName(const std::string& path, bool strip_extension = false);

struct PathParts {
  std::string drive;      // "C:", or "" (network paths, host paths)
  std::string directory;  // "\Daten\Projekt" ("\" for the drive's root)
  std::string file;       // "P.VX3DB"
};

// `path` taken apart.  A path without "\" is taken to lie in the process's
// working directory (in the suite's form, "\home\anna\Daten"), where the
// file functions would look for it.
// The drive is the path up to its first ":" when that comes before the
// first "\"; the directory is what lies between the drive and the last
// "\", without a trailing "\" unless it is the root "\"; the file is the
// rest.  "\\server\share\d\f.txt" gives "", "\\server\share\d", "f.txt".
PathParts SplitPath(const std::string& path);

struct FileNameParts {
  std::string drive;
  std::string directory;
  std::string file;
  std::string drive_and_directory;  // drive + directory
  std::string name;                 // file without its extension
  std::string extension;            // without the ".", "" when none
  std::string path_without_extension;
};

// `path` taken apart as SplitPath does, and its file name further at its
// last ".".  A file name without "." after its first character (".profile",
// "README") has no extension: its name is the whole file name and the path
// without extension is `path` itself.
FileNameParts SplitFileName(const std::string& path);

// Splits a file name of the form first "__" second ("12345__LV1"), as the
// suite names files that belong to a project: `first` is the text of the
// file name (without directory and extension) before its first "__", with
// "_" appended when the name contains "___" (the project number itself ends
// in "_"); `second` is the text after its last "__".  Unless `force`, a path
// without "__" leaves both outputs unchanged; with `force` it gives the
// whole name and "".
void SplitDoubleUnderscore(const std::string& path, std::string& first,
                           std::string& second, bool force);

}  // namespace vx

#endif  // VX_FILES_PATH_UTILS_H_
