// The suite's settings file, as the library and its sibling components
// share it.

#ifndef VX_TALUVEK_SETTINGS_H_
#define VX_TALUVEK_SETTINGS_H_

#include <string>

#include "vx_taluvek/export.h"

namespace vx {

// The settings file of the calling thread: its program key when one is set,
// else "Tarvano.INI".  A bare name lies in the settings home.
VX_TALUVEK_EXPORT std::string SettingsFileName();

// Whether `name` can name the settings file: a file in the settings home,
// never a path.  Not empty, no folder or drive ("/", "\", ":"), no "..",
// no control characters.  The library reads and writes no settings file
// through a program key that is no such name.
VX_TALUVEK_EXPORT bool IsSettingsFileName(const std::string& name);

}  // namespace vx

#endif  // VX_TALUVEK_SETTINGS_H_
