#include "users/login.h"

#include <memory>

#include "data/connections.h"
#include "platform/module_state.h"
#include "platform/text.h"
#include "translate/trt.h"
#include "users/rights_queries.h"
#include "vx_taluvek/components.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/host.h"

namespace vx {

namespace {

constexpr const char* kProduktTitel = "KORVANT AVA";
constexpr const char* kSuperUser = "SUPERUSER";
constexpr int32_t kDefaultPointer = 0;

std::string LoginTitle() { return std::string("Login ") + kProduktTitel; }

// Tells the person why the answer `verify` of the user administration
// refused the login.
void ShowRefusal(int32_t verify) {
  Host& host = CurrentHost();
  std::string text;
  switch (verify) {
    case UserVerw::kUnknownUser:
      host.Beep();
      text = TRT(
          "Das System konnte Sie nicht anmelden. Der Benutzer konnte nicht "
          "gefunden werden.");
      break;
    case UserVerw::kWrongPassword:
      host.Beep();
      text = TRT("Das System konnte Sie nicht anmelden. Überprüfen Sie das "
                 "Passwort!") +
             "\r\n" +
             TRT("Bei Passwörtern wird die Groß-/Kleinschreibung beachtet.") +
             "\r\n" +
             TRT("Stellen Sie sicher, daß die FESTELLTASTE nicht versehentlich "
                 "aktiviert ist!");
      break;
    case UserVerw::kInconsistent:
      text = TRT("Die Integrität der Userverwaltung wurde verletzt.") +
             "\r\n\r\n" + TRT("Bitte wenden Sie sich an Ihren Administrator!");
      break;
    default:
      return;
  }
  host.MsgBox(text, kExclamationSystemModal, LoginTitle());
}

// The login dialog until the person cancels or is verified.  The first
// loop writes the verified user into AktUser and resets the mouse pointer
// after a refusal; the second (another name to start the user
// administration) does neither.
bool LoginLoop(UserVerw& dialog, const std::string& caption, bool first) {
  for (;;) {
    if (!CBool(dialog.ShowLogin(caption))) return false;
    const int32_t verify = CLng(dialog.VerifyUser());
    if (verify != UserVerw::kVerified && first) {
      CurrentHost().SetMousePointer(kDefaultPointer);
    }
    if (verify == UserVerw::kVerified) {
      if (first) {
        AktUser& user = CurrentAktUser();
        user.Name(dialog.Username());
        user.Id(CLng(dialog.UserId()));
      }
      return true;
    }
    ShowRefusal(verify);
  }
}

// Records the logged-in user in the thread's state.
void RecordUser(UserVerw& dialog, const std::string& name, int32_t id) {
  ModuleState& s = State();
  s.sUserName = name;
  s.lUserId = id;
  dialog.Username(s.sUserName);
  s.bIsSuperUser = CBool(dialog.IsSuperUser());
  s.bIsSuperReader = CBool(dialog.IsSuperReader());
  // The kind is a detail: a failure leaves the last one.
  ResumeNext([&] {
    int32_t user_id = s.lUserId;
    s.lBenutzerArt = CLng(dialog.GetBenutzerArt(user_id));
  });
  Err().Clear();
}

bool Login(const std::string& modul, bool rechtobjekt_behalten,
           bool anmeldung_uebernehmen) {
  const bool user_verwaltung = modul == kModulUserVerwaltung;
  if (!bUserVerwAktiv(false) && !user_verwaltung) return true;

  std::shared_ptr<UserVerw> dialog = CreateComponent<UserVerw>();
  std::shared_ptr<Recht> local_recht;
  if (rechtobjekt_behalten) {
    KeptRecht() = CreateComponent<Recht>();
  } else {
    local_recht = CreateComponent<Recht>();
  }
  Recht& recht = rechtobjekt_behalten ? *KeptRecht() : *local_recht;

  AktUser& user = CurrentAktUser();
  const std::string name = user.Name();
  const bool login_needed =
      Trim(name).empty() || user.Id() == 0 ||
      (UCase(name) != kSuperUser && user_verwaltung && !anmeldung_uebernehmen);
  if (login_needed) {
    const std::string caption =
        "Login " + (user_verwaltung ? TRT("Userverwaltung")
                                    : std::string(kProduktTitel));
    if (!LoginLoop(*dialog, caption, true)) return false;
  }

  const bool held = modul.empty() || HatRechtAktUser(local_recht, modul);
  if (held) {
    RecordUser(*dialog, user.Name(), user.Id());
    return true;
  }
  Host& host = CurrentHost();
  if (!user_verwaltung) {
    host.MsgBox(TRT("User") + ": '" + user.Name() + "'\r\n" +
                    TRT("Nicht genügend Rechte um dieses Modul zu starten!"),
                kExclamationSystemModal, "");
    return false;
  }
  const int32_t answer = host.MsgBox(
      TRT("User:") + " '" + user.Name() + "'\r\n" +
          TRT("Sie haben nicht genügend Rechte um die Userverwaltung zu "
              "starten!") +
          "\r\n" + TRT("Wollen Sie sich unter einem anderem Namen einloggen?"),
      kSystemModal | kOkCancel, TRT("Benutzerverwaltung"));
  if (answer == kMsgCancel) return false;
  if (!LoginLoop(*dialog, LoginTitle(), false)) return false;
  recht.UserId(CLng(dialog->UserId()));
  recht.Kuerzel(modul);
  if (CBool(recht.HatRecht())) {
    RecordUser(*dialog, dialog->Username(), CLng(dialog->UserId()));
    return true;
  }
  host.MsgBox(TRT("User") + ": '" + dialog->Username() + "'" +
                  TRT("Nicht genügend Rechte um die Userverwaltung zu starten!"),
              0, "");
  return false;
}

}  // namespace

bool LoginOk(const std::string& modul, bool rechtobjekt_behalten,
             bool anmeldung_uebernehmen) {
  bool result = false;
  try {
    result = Login(modul, rechtobjekt_behalten, anmeldung_uebernehmen);
  } catch (const Error& e) {
    result = false;
    try {
      if (IsDesign()) {
        CurrentHost().MsgBox("Error Nummer:" + std::to_string(e.number()) +
                                 "\r\n" + e.description(),
                             0, "");
      } else {
        CurrentHost().MsgBox(TRT("Es ist ein Fehler beim Login aufgetreten."),
                             kStopSystemModal, TRT("Login"));
      }
    } catch (...) {
    }
  }
  Err().Clear();
  return result;
}

}  // namespace vx
