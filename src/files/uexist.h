// Whether a file or folder exists.

#ifndef VX_FILES_UEXIST_H_
#define VX_FILES_UEXIST_H_

#include <string>

#include "vx_taluvek/variant.h"

namespace vx {

// Whether `path` names an existing file (or, with `directory`, folder).
// `local` skips the server store, `quick` lets the test give up sooner.
// Never raises.
//
// For now the file system is asked directly, once.
bool Uexist(const std::string& path, bool directory, bool local, bool& quick,
            const Variant& unused = Variant::Missing());

}  // namespace vx

#endif  // VX_FILES_UEXIST_H_
