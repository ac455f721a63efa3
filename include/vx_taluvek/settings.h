// The suite's settings file, as the library and its sibling components
// share it.

#ifndef VX_TALUVEK_SETTINGS_H_
#define VX_TALUVEK_SETTINGS_H_

#include <string>

namespace vx {

// The settings file of the calling thread: its program key when one is set,
// else "Tarvano.INI".  A bare name lies in the settings home.
std::string SettingsFileName();

}  // namespace vx

#endif  // VX_TALUVEK_SETTINGS_H_
