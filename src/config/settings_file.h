// Entries of the suite's settings file.
//
// The settings file holds named sections of key=value lines.  Its name is
// the thread's program key, or "Tarvano.INI" (vx_taluvek/settings.h).

#ifndef VX_CONFIG_SETTINGS_FILE_H_
#define VX_CONFIG_SETTINGS_FILE_H_

#include <cstdint>
#include <string>

#include "vx_taluvek/settings.h"
#include "vx_taluvek/variant.h"

namespace vx {

// The default value handed to the profile functions, recognised on return
// as "there is no such entry".
inline constexpr const char* kEntryNotFound = "Entry Not Found";

// The value of `key` in `section`: a text when `default_value` is a text,
// else the number at the start of the value (read with Val, "." as decimal
// separator whatever the region).  A missing or empty entry gives the
// default, which is then written into the file unless it is the empty text
// (then the result is "") or the settings file does not exist (reading
// creates no settings file); values are cut at 1999 characters.  A failure,
// such as a program key that is no file name (52), is shown through the
// error dialog, which may ask for a retry; otherwise the result is empty.
Variant Tarvano_Eintrag(const std::string& section, const std::string& key,
                        const Variant& default_value);

// Writes `value` under `key` in `section`: a text as it is, anything else in
// its regionally neutral form (Str), trimmed.  Returns the profile
// function's result, non-zero on success.  Conversion errors raise, and so
// does a program key that is no file name (52, see IsSettingsFileName).
int16_t Tarvano_EintragSchreiben(const std::string& section,
                                 const std::string& key, const Variant& value);

}  // namespace vx

#endif  // VX_CONFIG_SETTINGS_FILE_H_
