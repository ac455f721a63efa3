// Listing the files that match a pattern.

#ifndef VX_FILES_DIR_LISTING_H_
#define VX_FILES_DIR_LISTING_H_

#include <cstdint>
#include <string>
#include <vector>

#include "vx_taluvek/variant.h"

namespace vx {

// Replaces the contents of `names` by the names (without folder) of the
// ordinary files that match `pattern` ("C:\Daten\*.VX3LV"; "*" and "?" as
// wildcards, without regard to case), in the host's order, and returns
// their count.  Folders and hidden files are not listed.
//
// A failure (a drive that is not mapped, a null pattern) leaves `names`
// empty and its error pending, and 0 comes back; in design mode (IsDesign)
// it is raised instead, so that a developer sees it.
int32_t DirToCollection(const Variant& pattern,
                        std::vector<std::string>& names);

}  // namespace vx

#endif  // VX_FILES_DIR_LISTING_H_
