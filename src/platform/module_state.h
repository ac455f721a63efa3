// The library's module-level variables, one set per thread.
//
// The suite's library is apartment-threaded: every thread that uses it has
// its own module state, so nothing here is shared between threads and
// nothing needs a lock.  Each field belongs to the subsystem named beside
// it; objects that a subsystem keeps per thread and that only it uses live
// in that subsystem.

#ifndef VX_PLATFORM_MODULE_STATE_H_
#define VX_PLATFORM_MODULE_STATE_H_

#include <cstdint>
#include <string>

namespace vx {

struct ModuleState {
  // Settings (config): the program key, i.e. the name of the settings file;
  // empty means "Tarvano.INI".
  std::string sProgKey;

  // Database connections (data).
  int16_t server_kind = 0;     // last database kind reported, 0 = not asked
  bool design_tested = false;  // IsDesign has run
  bool design_flag = false;    // its cached answer

  // Directories (config).
  int16_t network_state = 0;  // 0 undecided, 1 network, 2 local installation
  bool bNetzInstallation = false;
  std::string user_directory;  // last GetUserVerzeichnis result

  int16_t nZugriffSlow = 0;  // Files: access-speed level, 0 = not read yet

  // Users: the logged-in user's identity, 0 while nobody is logged in.  The
  // login sets it; saving a new project grants this user the rights on it.
  int32_t lUserId = 0;
  std::string sUserName;
  bool bIsSuperUser = false;
  bool bIsSuperReader = false;
  int32_t lBenutzerArt = 0;  // 1: administrator
  // Users: the answers of bUserVerwAktiv and bVererbungAn, asked once per
  // thread.
  struct {
    bool aktiv_geprueft = false;
    bool aktiv = false;
    bool vererbung_geprueft = false;
    bool vererbung_an = false;
  } RechteCache;
};

// The calling thread's module state.
ModuleState& State();

}  // namespace vx

#endif  // VX_PLATFORM_MODULE_STATE_H_
