// `taluvek aufruf`: late-bound calls of the members of cls_Projekt, through
// the automation binding, as a script of the suite would make them.

#ifndef VX_CLI_AUFRUF_H_
#define VX_CLI_AUFRUF_H_

#include "cli/command_line.h"

namespace vx::cli {

// Registers the command "aufruf" on `line`:
//   [--json] MITGLIED [ARG ...]       a method or property get
//   [--json] MITGLIED=WERT            a property let
//   [--json] --let MITGLIED WERT      the same
//   [--json] --skript DATEI           one call a line, all on one object
//                                     ("-" reads standard input)
// The object is made with CreateObject("vx_Taluvek.cls_Projekt"); argument
// texts become values as cli/argument_text.h says, script lines split into
// words as cli/script_words.h says.  After each call the result and every
// argument as the call left it are written to `out`.  A script is checked
// completely before its first call and stops at the first call that
// answers False or fails.  Its exit code: 0 done, 1 when a
// call answered False (its object's lProjektErrNum and sProjektErrText go
// to `err`) or the object could not be made, 2 for a usage error, including
// a wrong call (unknown member, wrong arguments, a type mismatch), reported
// with the run time's number and description.
void AddAufruf(CommandLine& line);

}  // namespace vx::cli

#endif  // VX_CLI_AUFRUF_H_
