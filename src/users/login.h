// The login: makes sure that a user of the suite is logged in before the
// library acts for him, and optionally that he may start a module.
//
// The dialog, the password check and the user data are the user
// administration component's (vx_UserVerw.clsUserVerw); the logged-in user
// is shared between the suite's components through the current-user class
// (AktUser), so a login made through another component of the process is
// taken over without a dialog.  A successful login records the user in the
// thread's module state (lUserId, sUserName, bIsSuperUser, bIsSuperReader,
// lBenutzerArt), where the rights queries and the project object find it.

#ifndef VX_USERS_LOGIN_H_
#define VX_USERS_LOGIN_H_

#include <string>

namespace vx {

// The module key of the user administration itself.
inline constexpr const char* kModulUserVerwaltung = "UV_START";

// True when a user is logged in and, when `modul` is not empty, holds that
// module right.  Without an active user administration nobody has to log
// in (except to start the user administration, "UV_START").  The login
// dialog is shown again after a wrong name or password until the person
// cancels or is verified; when nobody is there to answer, the dialog counts
// as cancelled.  `rechtobjekt_behalten` keeps the rights object for later
// checks (KeptRecht); `anmeldung_uebernehmen` lets a logged-in user start
// the user administration without logging in again.  Every refusal is
// shown; any failure shows an error box and answers false.
bool LoginOk(const std::string& modul, bool rechtobjekt_behalten,
             bool anmeldung_uebernehmen);

}  // namespace vx

#endif  // VX_USERS_LOGIN_H_
