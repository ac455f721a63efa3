// cls_Projekt: the master record of a building project.
//
// An instance is a working copy of one row of the table Projekt in the
// suite's project database PROJEKT.VX3DB (in the directory of the settings
// key "Projekt").  The caller names a project by its number (ProNr) or its
// identity (Id), reads it, reads and changes any column through the
// instance's field cache, writes it back, and locks or unlocks it against
// other users.
//
// No member raises: every operation answers true or false (or a value) and
// records a failure in lProjektErrNum and sProjektErrText.
//
// The members take their arguments by reference, as the automation
// interface passes them, and write the values they hand back into them.
// Beside each stands a form that takes values, for ordinary calls such as
// bProjektRead(0, "4711"): overload resolution picks the by-reference form
// when every argument it takes by reference is a modifiable variable of its
// type, and the value form otherwise (literals, temporaries, constants).
// The value forms do the same work; what the by-reference form would have
// handed back is then read from the properties (lProjektId, sProjektNr).  The instance
// opens the database on its first operation and keeps it open until it is
// destroyed.  An instance belongs to one thread.

#ifndef VX_TALUVEK_CLS_PROJEKT_H_
#define VX_TALUVEK_CLS_PROJEKT_H_

#include <cstdint>
#include <memory>
#include <string>

#include "vx_taluvek/export.h"
#include "vx_taluvek/variant.h"

namespace vx {

class VX_TALUVEK_EXPORT cls_Projekt {
 public:
  cls_Projekt();
  ~cls_Projekt();
  cls_Projekt(const cls_Projekt&) = delete;
  cls_Projekt& operator=(const cls_Projekt&) = delete;

  // ---- Creating ----

  // Adds a project numbered sProNr (with IsRVProj = bIsRVProj) and answers
  // its Id in lProjID.  The current user must hold the right "PROJ_NEW";
  // when nobody is logged in, the login comes first.  A missing project
  // database is made from its empty template.  An empty sProNr is replaced
  // by a placeholder, "<Neues Projekt>" and the user's id, which marks the
  // project as not numbered yet: its creator receives the rights on it at
  // its first save.  A project created with a number is its creator's at
  // once.  When the login or the right is refused (the user is told), or
  // the database cannot be made, the answer is false and nothing changes;
  // after any other failure lProjID is -1.  The instance's current project
  // and field cache stay as they are.
  bool bProjektNeu(int32_t& lProjID, std::string& sProNr, bool& bIsRVProj);
  bool bProjektNeu(int32_t& lProjID);
  bool bProjektNeu(int32_t& lProjID, const std::string& sProNr,
                   bool bIsRVProj = false);

  // ---- Reading ----

  // Loads the project with identity lProjID (when not 0, it wins) or number
  // sProjNum.  On success both arguments receive the row's Id and ProNr.
  bool bProjektRead(int32_t& lProjID, std::string& sProjNum);
  bool bProjektRead(int32_t lProjID, const std::string& sProjNum);
  // The cached value of a column, by 0-based index or by name.
  Variant vProjektDatenRead(Variant& vIndexOrName);
  Variant vProjektDatenRead(const Variant& vIndexOrName);

  // ---- Saving ----

  // Changes a column in the field cache only; nothing reaches the database
  // before bProjWrite.
  bool bProjektDatenWrite(Variant& vData, Variant& vIndexOrName);
  bool bProjektDatenWrite(const Variant& vData, const Variant& vIndexOrName);
  // Writes the field cache to the row with identity lProjID, or with number
  // sProjNum when lProjID is 0; lProjID receives the written row's Id.
  bool bProjWrite(int32_t& lProjID, std::string& sProjNum);
  bool bProjWrite(int32_t lProjID, const std::string& sProjNum);

  // ---- Locking ----

  bool bProjektLock(int32_t& lProjID, std::string& sProjNum);
  bool bProjektLock(int32_t lProjID, const std::string& sProjNum);
  bool bProjektUnLock(int32_t& lProjID, std::string& sProjNum);
  bool bProjektUnLock(int32_t lProjID, const std::string& sProjNum);
  bool bProjektUnLockAll();

  // Resets the instance's properties, field cache and error fields; the
  // database stays open.
  void ProjektInit();

  // ---- Properties ----

  // The program key of the calling thread: the name of the settings file
  // ("" means "Tarvano.INI"), shared by all instances on the thread.
  std::string sProgKey() const;
  void sProgKey(const std::string& New_sProgKey);

  std::string sProjektNr() const;
  void sProjektNr(const std::string& vData);  // stored trimmed
  int32_t lProjektId() const;
  std::string sProjektBez() const;
  std::string sProjWaehrung() const;
  int32_t nProjektfieldscount() const;
  int32_t lProjektErrNum() const;
  std::string sProjektErrText() const;
  std::string FlurNr() const;
  std::string FlurStueckNr() const;
  std::string Gemeinde() const;
  std::string Gemarkung() const;
  std::string Strasse() const;
  std::string Land() const;
  std::string PLZ() const;
  std::string Ort() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vx

#endif  // VX_TALUVEK_CLS_PROJEKT_H_
