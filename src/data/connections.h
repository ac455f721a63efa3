// The one road to and from a database file of the suite.
//
// OpenDb opens a database with the suite's password and a short retry loop
// that rides out a file momentarily locked by another workstation;
// ExecuteMitDb runs one action statement, opening and closing the database
// itself when the caller has none open; CloseRs and CloseDb close without
// ever failing.  IsDesign and IsServerMode are the two cached environment
// tests that much of the library consults.

#ifndef VX_DATA_CONNECTIONS_H_
#define VX_DATA_CONNECTIONS_H_

#include <cstdint>
#include <memory>
#include <string>

#include "engine/database.h"
#include "engine/db_engine.h"
#include "engine/recordset.h"
#include "vx_taluvek/variant.h"

namespace vx {

using DbHandle = std::shared_ptr<dao::Database>;
using RsHandle = std::shared_ptr<dao::Recordset>;

// The password all the suite's databases share, and the connect text that
// callers pass for OpenDb to complete.
inline constexpr const char* kSuitePassword = "KQ7ZT_NORVELAX93";
inline constexpr const char* kBareConnect = ";pwd=";

// Error numbers of the engine that steer the retry loops.
inline constexpr int32_t kErrEngineFileNotFound = 3024;
inline constexpr int32_t kErrExclusivelyOpened = 3356;

// This thread's engine, created on first use and kept for the thread's life.
dao::DBEngine& DbEngine();

// Opens `file_name` (full path) with the engine, handing on `exclusive` and
// `read_only`.  A `connect` of exactly ";pwd=" is completed with the suite's
// password in the caller's variable; any other is passed on unchanged.
// In server mode (IsServerMode) the database object stands for the file's
// rows on the database server instead (server_databases.h); `exclusive`
// and the password do not apply there.
//
// Makes up to 8 attempts (3 when IsServerMode), with a 1 ms pause and a pass
// of the caller's message processing between them and the hourglass pointer
// while retrying.  At the fifth attempt the file's existence is tested: a
// missing file ends the loop with error 53 "<Datei nicht gefunden>  <name>";
// 3024 and 3356 also end it there.  An empty name makes no attempt.
//
// Returns the database, or nullptr on failure: with `raise_errors` the
// failure is raised (the engine's number, source and description), else it is
// cleared.  The caller's mouse pointer is restored in every case.
DbHandle OpenDb(const std::string& file_name, bool exclusive,
                const Variant& read_only, Variant& connect, bool raise_errors);

// Runs the action statement `sql` on `db`, or, when `db` is nullptr, on
// `file_name` opened (and closed again) for this call.  A failing statement
// is tried a second time.  Returns the number of records affected; on failure
// 0 with the error's number in `error_number` (0 on success).  Never raises.
int32_t ExecuteMitDb(const std::string& file_name, const std::string& sql,
                     bool exclusive, DbHandle& db, int32_t& error_number);

// Closes `rs` if open and sets it to nullptr.  Always true; never raises.
bool CloseRs(RsHandle& rs);

// Closes `db` if open (CloseDbHandle), sets it to nullptr and frees the
// engine's read locks.  Never raises; a failed close is passed over, so the
// answer is in effect always true.
bool CloseDb(DbHandle& db);

// Closes `db` and nothing else; an engine error (or 91 for nullptr) raises.
void CloseDbHandle(const DbHandle& db);

// Asks this thread's engine to free its read locks.
void FreeDbLocks();

// Whether the code runs in the development environment: false in a
// delivered build, true in a build configured with VX_DESIGN_MODE.
// Computed once per thread.
bool IsDesign();

// Whether the suite's data lie on a database server: the server access
// component's database kind (left in `kind`) is greater than 1.  A kind of 1
// or more is asked once per thread, a lower one at every call.
bool IsServerMode(int16_t& kind);

}  // namespace vx

#endif  // VX_DATA_CONNECTIONS_H_
