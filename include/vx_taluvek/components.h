// The registry of the suite's sibling components.
//
// As the automation run time did, the library creates the suite's other
// components (error dialog, translator, server access, ...) by program
// identifier.  Each component registers a factory under its identifier; the
// defaults of the library register themselves when it is loaded, and a test
// or a host program may register another in their place.

#ifndef VX_TALUVEK_COMPONENTS_H_
#define VX_TALUVEK_COMPONENTS_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "vx_taluvek/export.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/variant.h"

namespace vx {

namespace dao {
class Recordset;
}  // namespace dao

using ComponentFactory = std::function<ObjectRef()>;

// Registers `factory` under `program_id` (compared without regard to case),
// replacing what was registered there.  Returns the factory it replaced, so
// that a caller can put it back; an empty factory unregisters.
VX_TALUVEK_EXPORT ComponentFactory RegisterComponent(const std::string& program_id,
                                   ComponentFactory factory);

// Creates the component registered under `program_id`.  Raises 429 "ActiveX
// component can't create object" when none is, or when its factory fails.
VX_TALUVEK_EXPORT ObjectRef CreateObject(const std::string& program_id);

// Creates the component registered under T::kProgramId and answers it as a
// T.  Raises 429 as CreateObject does, and 438 "Object doesn't support this
// property or method" when what was registered there is no T.
template <typename T>
std::shared_ptr<T> CreateComponent() {
  auto component = std::dynamic_pointer_cast<T>(CreateObject(T::kProgramId));
  if (!component) Raise(438);
  return component;
}

// The suite's server access component.  Its first property is the database
// kind: greater than 1 means that the suite's data lie on a database server.
class VX_TALUVEK_EXPORT ServerAccess : public Object {
 public:
  static constexpr const char* kProgramId = "vx_Server.ServerAccess";
  virtual int32_t DatenbankArt() = 0;
  // Writes the byte field `field_name` of the current record of
  // `recordset` to the local file `destination` (replacing it); non-zero
  // when the file was written.  A component that does not move files
  // raises 438.
  virtual int32_t FeldInDatei(const std::string& destination, dao::Recordset& recordset,
                              const std::string& field_name);
  // Stores the local file `path` in the byte field `field_name` of the
  // current record of `recordset`, itself: the caller makes no further
  // Update.  Raises when it cannot (438 in a component that does not move
  // files).
  virtual void DateiInFeld(const std::string& path, dao::Recordset& recordset,
                           const std::string& field_name);
};

// The suite's error dialog, created anew for each message.
class VX_TALUVEK_EXPORT FehlerDialog : public Object {
 public:
  static constexpr const char* kProgramId = "vx_Runtime.vx_Fehler";
  // Asks the dialog not to show further messages; what it makes of that is
  // its own affair.
  virtual void SetNoVisibleNextMsg(bool value) = 0;
  // Shows `message` about `error` and answers the user's choice: 4 asks the
  // caller to retry the failed step, 2 not to show this message again.
  virtual int32_t EMW(const std::string& title, const std::string& message,
                      const PendingError& error) = 0;
  // Shows `message` about `error`; no answer.
  virtual void ErrorMsg(const std::string& title, const std::string& message,
                        const PendingError& error) = 0;
};

// The suite's translator, which hands back the shown texts in the language
// of the running program.
class VX_TALUVEK_EXPORT Uebersetzer : public Object {
 public:
  static constexpr const char* kProgramId = "vx_Translate.cls_Trans";
  // The program's language number (2 to 4 name the translated languages).
  virtual void SetTransKZ(int16_t value) = 0;
  // The German `text` in language `sprache` (empty: the program's) for the
  // application `anwendung`; the translator may change all three.
  // `nicht_aufnehmen` forbids recording a text it does not know yet.  The
  // three optional arguments reach it omitted (Variant::Missing()).
  // `kunden_trt` is empty or asks for a customer's German wording as
  // "GETKUNDENTRT4GERMAN|<customer number>|<customer key>".  Answers the
  // text to show.
  virtual std::string GetTrt(std::string& text, std::string& sprache,
                             std::string& anwendung, bool nicht_aufnehmen,
                             const Variant& optional1, const Variant& optional2,
                             const Variant& optional3,
                             const std::string& kunden_trt) = 0;
};

// ---- Users and rights ----
//
// Answers that the suite's components give as variants are converted by
// their callers (CBool, CLng), as a late-bound caller does: a component may
// answer any value that converts.

// The logged-in user as the whole process knows it: every instance reads
// and writes the same name and id, so that a login made through one
// component is taken over by the others.
class VX_TALUVEK_EXPORT AktUser : public Object {
 public:
  static constexpr const char* kProgramId = "vx_UserVerw.AktUser";
  virtual std::string Name() = 0;
  virtual void Name(const std::string& value) = 0;
  virtual int32_t Id() = 0;  // 0 while nobody is logged in
  virtual void Id(int32_t value) = 0;
};

// The rights component that answers whether a user holds a module right
// ("PROJ_NEW", "UV_START", ...).
class VX_TALUVEK_EXPORT Recht : public Object {
 public:
  static constexpr const char* kProgramId = "vx_BeRecht.clsRecht";
  virtual void UserId(int32_t value) = 0;
  virtual void Kuerzel(const std::string& value) = 0;
  // True when the user set holds the right set.
  virtual Variant HatRecht() = 0;
};

// The rights component that records a group's rights on a data object.
class VX_TALUVEK_EXPORT Berechtigung : public Object {
 public:
  static constexpr const char* kProgramId = "vx_BeRecht.clsBerechtigung";
  // A user (whose single-user group receives the rights), or a group when
  // bUserIdIstGrpId is true.
  virtual void UserId(int32_t value) = 0;
  virtual void bUserIdIstGrpId(bool value) = 0;
  virtual void typ(const std::string& value) = 0;      // "PR", "ST", "LV", ...
  virtual void Kuerzel(const std::string& value) = 0;  // the object's key
  virtual void GibBerechtigung(bool& Lesen, bool& Schreiben,
                               bool& Besitzer) = 0;
};

// The user administration: the login dialog and the check of a user's
// name and password.
class VX_TALUVEK_EXPORT UserVerw : public Object {
 public:
  static constexpr const char* kProgramId = "vx_UserVerw.clsUserVerw";

  // Answers of VerifyUser.
  static constexpr int32_t kUnknownUser = 1;
  static constexpr int32_t kWrongPassword = 2;
  static constexpr int32_t kInconsistent = 3;
  static constexpr int32_t kVerified = 4;

  // Shows the login dialog under `caption`; true when the person confirmed
  // it with a name and a password.
  virtual Variant ShowLogin(const std::string& caption) = 0;
  // Checks the name and password entered; one of the answers above.
  virtual Variant VerifyUser() = 0;
  virtual std::string Username() = 0;
  virtual void Username(const std::string& value) = 0;
  virtual Variant UserId() = 0;  // of the verified user
  virtual Variant IsSuperUser() = 0;
  virtual Variant IsSuperReader() = 0;
  // The kind of user `user_id` (1: administrator).
  virtual Variant GetBenutzerArt(int32_t& user_id) = 0;
};

}  // namespace vx

#endif  // VX_TALUVEK_COMPONENTS_H_
