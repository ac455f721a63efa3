// The registry of the suite's sibling components.
//
// As the automation run time did, the library creates the suite's other
// components (error dialog, translator, server access, ...) by program
// identifier.  Each component registers a factory under its identifier; the
// defaults of the library register themselves when it is loaded, and a test
// or a host program may register another in their place.

#ifndef VX_TALUVEK_COMPONENTS_H_
#define VX_TALUVEK_COMPONENTS_H_

#include <functional>
#include <string>

#include "vx_taluvek/error.h"
#include "vx_taluvek/variant.h"

namespace vx {

using ComponentFactory = std::function<ObjectRef()>;

// Registers `factory` under `program_id` (compared without regard to case),
// replacing what was registered there.  Returns the factory it replaced, so
// that a caller can put it back; an empty factory unregisters.
ComponentFactory RegisterComponent(const std::string& program_id,
                                   ComponentFactory factory);

// Creates the component registered under `program_id`.  Raises 429 "ActiveX
// component can't create object" when none is, or when its factory fails.
ObjectRef CreateObject(const std::string& program_id);

// The suite's server access component.  Its first property is the database
// kind: greater than 1 means that the suite's data lie on a database server.
class ServerAccess : public Object {
 public:
  static constexpr const char* kProgramId = "vx_Server.ServerAccess";
  virtual int32_t DatenbankArt() = 0;
};

// The suite's error dialog, created anew for each message.
class FehlerDialog : public Object {
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
class Uebersetzer : public Object {
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

}  // namespace vx

#endif  // VX_TALUVEK_COMPONENTS_H_
