// Making sure that a shared database exists, from its empty template.
//
// The small form the creation of projects needs: the template is copied
// from the structures directory when the target does not exist; an
// existing target is never touched.  The project file set's full copy
// (server mode, the progress meter) takes its place.

#ifndef VX_FILES_ENSURE_FROM_STRUKTUR_H_
#define VX_FILES_ENSURE_FROM_STRUKTUR_H_

#include <cstdint>
#include <string>

namespace vx {

// Makes sure `target` (full path, the suite's form) exists, copying the
// template `template_name` from the directory of the key "STRUKTUREN" when
// it does not.  The copy appears whole or not at all, with the permissions
// and group of the target's folder; when another process makes the target
// at the same moment, its copy is kept.  Answers 1 when the target exists
// afterwards, 0 when it does not (nothing can be copied).  Never raises.
int16_t EnsureFromStruktur(const std::string& target,
                           const std::string& template_name);

}  // namespace vx

#endif  // VX_FILES_ENSURE_FROM_STRUKTUR_H_
