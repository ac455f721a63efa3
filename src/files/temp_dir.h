// The folder for the suite's temporary files ("~KV..." copies).

#ifndef VX_FILES_TEMP_DIR_H_
#define VX_FILES_TEMP_DIR_H_

#include <string>

namespace vx {

// The temporary folder, in the suite's path form with a trailing "\".
//
// The first entry of the process environment, in its own order, whose name
// begins with "TEMP" or else "TMP" (in any case; TMPDIR counts) and whose
// value is not blank gives it, trimmed of blanks and with "/" turned into
// "\".  Without such an entry the platform's temporary folder is used
// ("\tmp\"), never the root of the file system.  With `long_form` the names
// are spelt as the file system holds them (File_getLongPath).
std::string GetTempVerzeichnis(bool long_form = false);

}  // namespace vx

#endif  // VX_FILES_TEMP_DIR_H_
