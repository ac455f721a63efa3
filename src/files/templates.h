// Templates: table sets saved on the database server under a name, listed
// in the server table Vorlagen.

#ifndef VX_FILES_TEMPLATES_H_
#define VX_FILES_TEMPLATES_H_

#include <string>

namespace vx {

// Whether a template of the name `name` is saved (a row of Vorlagen with
// that Filename).  Never raises.
//
// The server's template store is not there yet: the answer is false.
bool VorlageExists(const std::string& name);

}  // namespace vx

#endif  // VX_FILES_TEMPLATES_H_
