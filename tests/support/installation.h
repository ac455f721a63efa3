// A sample installation for tests of the library: a temporary settings
// home with a settings file, and the thread's module state reset.

#ifndef VX_TESTS_SUPPORT_INSTALLATION_H_
#define VX_TESTS_SUPPORT_INSTALLATION_H_

#include <functional>
#include <string>

#include "support/test_support.h"

namespace vx::testing {

class Installation {
 public:
  // Points TARVANO_HOME at a new temporary folder holding an empty
  // Tarvano.INI, and resets the calling thread's module state.
  Installation();
  ~Installation();

  // The settings home (host path).
  const std::string& home() const { return dir_.path(); }
  // home() + "/" + name.
  std::string File(const std::string& name) const { return dir_.File(name); }
  // Host path of the settings file.
  std::string SettingsFile() const { return File("Tarvano.INI"); }
  // Writes the whole settings file.
  void WriteSettings(const std::string& content) const;

 private:
  TempDir dir_;
  ScopedEnv home_env_;
};

// Runs `body` on a new thread, so that it starts with fresh per-thread
// state (module state, engines, the server access component), and waits.
void RunInFreshThread(const std::function<void()>& body);

}  // namespace vx::testing

#endif  // VX_TESTS_SUPPORT_INSTALLATION_H_
