// Shared databases made from their structure templates.

#ifndef VX_FILES_ENSURE_FROM_STRUKTUR_H_
#define VX_FILES_ENSURE_FROM_STRUKTUR_H_

#include <cstdint>
#include <string>

namespace vx {

// Makes sure the database `target` exists, copying the template
// `template_name` (its file name counts) from the folder of the key
// "STRUKTUREN" when it does not.  Returns 1 when it copied, -1 when the
// target was there (also when another process made it while the copy ran:
// of two processes ensuring the same database, exactly one copies and the
// other never replaces its file), 0 when the copy failed (after the copy's
// own messages).
int16_t EnsureFromStruktur(const std::string& target,
                           const std::string& template_name);

}  // namespace vx

#endif  // VX_FILES_ENSURE_FROM_STRUKTUR_H_
