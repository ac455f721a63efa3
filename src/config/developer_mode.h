// Developer mode: extra diagnostic message boxes on the developers' own
// machines, switched on by a marker file.

#ifndef VX_CONFIG_DEVELOPER_MODE_H_
#define VX_CONFIG_DEVELOPER_MODE_H_

#include <string>

namespace vx {

// The marker file; its mere existence in the settings home (as file or
// folder) turns developer mode on.
inline constexpr const char* kDeveloperMarkerFile = "Tarvano32.lic";

// Whether developer mode is on.  Decided once per thread, so creating or
// removing the marker takes effect in a new thread.  Always clears the
// pending error: callers that want to report one read it first.
bool bIstEntwicklung();

// Whether the settings file names this installation the developers' own
// (section "Intern", key "Aks4Setting", the value "ENTWICKLUNG"): then
// developer mode also reports calls that the server installation should
// never see.
bool AksEntwicklung();

// When AksEntwicklung, shows `text` headed by the program's name and
// "bIstEntwicklung " (each on a line of its own), system-modal, titled
// "bIstEntwicklung"; otherwise nothing.
void ShowAksEntwicklung(const std::string& text);

}  // namespace vx

#endif  // VX_CONFIG_DEVELOPER_MODE_H_
