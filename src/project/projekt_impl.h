// The inner state of a cls_Projekt and the steps its operations share.
//
// The members are spread over a file per concern: the object and its
// properties (cls_projekt.cc), loading and reading the field cache
// (projekt_laden.cc), saving and writing the field cache
// (projekt_speichern.cc), and locking (projekt_sperre.cc).

#ifndef VX_PROJECT_PROJEKT_IMPL_H_
#define VX_PROJECT_PROJEKT_IMPL_H_

#include <array>
#include <cstdint>
#include <functional>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/connections.h"
#include "project/field_cache.h"
#include "vx_taluvek/cls_projekt.h"
#include "vx_taluvek/error.h"

namespace vx {

// What an operation records when no row matches, or when it was given
// neither a number nor an identity.
inline constexpr int32_t kErrNoCurrentRecord = 3021;
inline constexpr const char* kNoCurrentRecordText = "No Current Record";

// What the field cache records for a position past its last column, or for
// a name it does not hold when written to: 3024, the number the suite's
// programs test for, with the engine's text for it.
inline constexpr int32_t kErrColumnNotFound = 3024;
std::string ColumnNotFoundText();

// Attempts of every retry loop of the project object, and the pause of the
// loops that wait.
inline constexpr int kProjektAttempts = 21;
inline constexpr int32_t kProjektRetryPauseMs = 200;

// Hidden, though nested in an exported class: the object's inside is no part
// of what the shared library offers.
struct __attribute__((visibility("hidden"))) cls_Projekt::Impl {
  // ---- State ----

  std::string sProjektNr;      // ProNr of the current project, "" = none
  int32_t lProjektErrNum = 0;  // the last error an operation recorded
  std::string sProjektErrText;
  int16_t nProjektfieldscount = 0;
  std::string sProjektDatei;  // full path of PROJEKT.VX3DB
  DbHandle oProjektDb;        // opened on first need, closed at the end
  FieldCache aProjektFelder;
  int32_t lProjektId = -1;  // Id of the current project; 0 = not given
  std::string sProjWaehrung;
  std::string sProjektBez;
  std::string FlurNr;
  std::string FlurStueckNr;
  std::string Gemeinde;
  std::string Gemarkung;
  std::string Strasse;
  std::string Land;
  std::string PLZ;
  std::string Ort;

  // Where the columns the object keeps as properties of its own stand in
  // the cache, found again only when the cache's names change
  // (projekt_laden.cc).
  struct PropertyColumns {
    uint64_t names_version = 0;
    std::array<std::optional<size_t>, 12> at;
  };
  PropertyColumns property_columns;

  // ---- Error fields ----

  void Record(int32_t number, const std::string& text);
  // Records the pending error, or 0 and "" when none is pending.
  void RecordPending();

  // ---- The boundary of every public member ----

  // Runs `body` and answers its result.  Nothing escapes: an error the body
  // raises is recorded and answered with `failed`, running out of memory as
  // 7 "Out of memory".  No error is left pending either way.
  template <typename T, typename Body>
  T Guard(T failed, Body&& body) noexcept {
    Err().Clear();
    try {
      T result = body();
      Err().Clear();
      return result;
    } catch (const Error& e) {
      RecordFailure(e.number(), e.description().c_str());
    } catch (const std::bad_alloc&) {
      RecordFailure(7, "Out of memory");
    } catch (...) {
      RecordFailure(51, "Internal error");
    }
    return failed;
  }
  // Guard for a member without a result.
  template <typename Body>
  void GuardVoid(Body&& body) noexcept {
    Guard(false, [&] {
      body();
      return true;
    });
  }

  // ---- Steps with retries ----

  enum class Pause { kNone, k200ms };

  // Runs `step` as a "resume next" statement up to kProjektAttempts times,
  // clearing the pending error before each attempt and freeing the engine's
  // read locks after it, until an attempt leaves no error pending; with
  // Pause::k200ms a failed attempt is followed by a 200 ms pause.  Answers
  // whether the last attempt succeeded; the failure stays pending.
  static bool Attempt(Pause pause, const std::function<void()>& step);

  // Opens oProjektDb on `path` with the suite's password, unless it is open
  // already.  A failure (the engine's, or 53 for a missing file) is left
  // pending; answers whether the database is open.
  bool OpenProjektDb(const std::string& path, Pause pause);

  // The path of PROJEKT.VX3DB looked up anew, as the locking operations do
  // (they may run on an instance that never opened the database).
  static std::string ProjektDateiNeu();

  // Closes `rs` when open, frees the engine's read locks and clears the
  // pending error: the end of every operation on a recordset.
  static void Finish(RsHandle& rs);

  // ---- Private operations ----

  // Loads the row named by lProjektId (when not 0) or sProjektNr into the
  // cache and the properties (projekt_laden.cc).
  void ProjektLaden();
  // The Id of the row numbered `sProjNum`, 0 when none; a failure of the
  // database is recorded (projekt_speichern.cc).
  int32_t ProjektIdSuchen(const std::string& sProjNum);
  // Writes the cache to the row `lProjID`, adding one when there is none;
  // `lProjID` receives lProjektId (projekt_speichern.cc).
  bool ProjektSpeichern(int32_t& lProjID);
  // Whether the current user may create a project, logging in first when
  // nobody is (projekt_neu.cc).
  static bool RechtNeuesProjekt();
  // After a save: the entries `written` and the update stamp hold what the
  // row `rs` (at the written row) holds now, and the cache is the working
  // copy of that row.
  void SettleWritten(RsHandle& rs, const std::vector<size_t>& written);

 private:
  void RecordFailure(int32_t number, const char* text) noexcept;
};

// The number of a project created without one, by user `user_id`: it marks
// the project as not numbered yet (see bProjektNeu).
inline constexpr const char* kUnnumbered = "<Neues Projekt>";
std::string PlaceholderNumber(int32_t user_id);

// The conditions that name a project, in the order to try them: "Id = n"
// alone when `id` is not 0; else "ProNr = '<number>'" with the number as
// given and, when that differs, with the number without the blanks around
// it, so that a row whose number is exactly the given text wins and the
// trimmed number counts only when there is none.  A number that is blanks
// only is never trimmed to "", which names no project.  Numbers have their
// apostrophes doubled, so that no number can end the text early.  Empty
// when neither is given.
std::vector<std::string> ProjektConditions(int32_t id,
                                           const std::string& number);

// The text of `field` in the current row (or edit buffer): "" when it is
// null or empty, or when there is no such field (nullptr), so that a
// property never keeps an earlier project's value.
std::string ColumnText(dao::Field* field);

}  // namespace vx

#endif  // VX_PROJECT_PROJEKT_IMPL_H_
