// This thread's server access component.

#ifndef VX_DATA_SERVER_ACCESS_H_
#define VX_DATA_SERVER_ACCESS_H_

#include "vx_taluvek/components.h"

namespace vx {

// The server access component of the calling thread, created through the
// component registry on first use and kept for the thread's life.  Raises
// 429 when it cannot be created, 430 when the registered object is no
// server access component.
ServerAccess& ThreadServerAccess();

}  // namespace vx

#endif  // VX_DATA_SERVER_ACCESS_H_
