#include "support/installation.h"

#include <thread>

#include "platform/module_state.h"

namespace vx::testing {

Installation::Installation() : home_env_("TARVANO_HOME", dir_.path()) {
  WriteSettings("");
  State() = ModuleState{};
}

Installation::~Installation() { State() = ModuleState{}; }

void Installation::WriteSettings(const std::string& content) const {
  WriteFile(SettingsFile(), content);
}

void RunInFreshThread(const std::function<void()>& body) {
  std::thread thread(body);
  thread.join();
}

}  // namespace vx::testing
