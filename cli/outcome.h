// The outcome of a `taluvek` command: its exit code, and how it reports an
// operation of the project object that answered False.

#ifndef VX_CLI_OUTCOME_H_
#define VX_CLI_OUTCOME_H_

#include <cstdint>
#include <ostream>
#include <string>

namespace vx::cli {

inline constexpr int kExitDone = 0;
// The operation answered False, or the command could not do its work.
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Writes to `err` that `operation` answered False, followed by the project
// object's error fields, one per line:
//   taluvek projekt sperren: bProjektLock hat False ergeben
//   lProjektErrNum = -20
//   sProjektErrText = Projekt schon gesperrt!
void ReportFalse(std::ostream& err, const std::string& command,
                 const std::string& operation, int32_t error_number,
                 const std::string& error_text);

}  // namespace vx::cli

#endif  // VX_CLI_OUTCOME_H_
