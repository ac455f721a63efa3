// The suite's directories, looked up by key in the settings file's section
// "Datei Verzeichnisse", and the decision whether the suite runs as a
// network installation.

#ifndef VX_CONFIG_DIRECTORIES_H_
#define VX_CONFIG_DIRECTORIES_H_

#include <string>

namespace vx {

inline constexpr const char* kDirectorySection = "Datei Verzeichnisse";

// The directory of `key` (trimmed; without regard to case) with a trailing
// "\" (an entry ending in ":" or "\" is kept as it is), followed by
// DotNetSubDir() when `subdirectory`.  A missing key gives "" and, unless
// `no_message`, the installation-error message box.  Values are cut at 254
// characters.  Never raises.
//
// After each successful lookup (except of "PROGRAMM") the thread's network
// state is decided anew where still open: a database server, a directory on
// a remote drive or a network path, or a non-empty "Netz" entry in section
// "SYS" make it a network installation (bNetzInstallation), for good.
std::string GetVerzeichnis(const std::string& key, bool no_message,
                           bool subdirectory);

// The directory of the user-administration databases: that of "LIZENZ", or
// the alternative "LIZENZ_A" when that names an existing folder.  Cached per
// thread until a call with `reset`.
std::string GetUserVerzeichnis(bool reset);

// The folder that stands for the Windows directory (the settings home), in
// the suite's path form with a trailing "\".
std::string GetWindowsVerzeichnis();

// The subdirectory of the suite's .NET parts, "DotNet\".
std::string DotNetSubDir();

}  // namespace vx

#endif  // VX_CONFIG_DIRECTORIES_H_
