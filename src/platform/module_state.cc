#include "platform/module_state.h"

namespace vx {

ModuleState& State() {
  thread_local ModuleState state;
  return state;
}

}  // namespace vx
