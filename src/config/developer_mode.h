// Developer mode: extra diagnostic message boxes on the developers' own
// machines, switched on by a marker file.

#ifndef VX_CONFIG_DEVELOPER_MODE_H_
#define VX_CONFIG_DEVELOPER_MODE_H_

namespace vx {

// The marker file; its mere existence in the settings home (as file or
// folder) turns developer mode on.
inline constexpr const char* kDeveloperMarkerFile = "Tarvano32.lic";

// Whether developer mode is on.  Decided once per thread, so creating or
// removing the marker takes effect in a new thread.  Always clears the
// pending error: callers that want to report one read it first.
bool bIstEntwicklung();

}  // namespace vx

#endif  // VX_CONFIG_DEVELOPER_MODE_H_
