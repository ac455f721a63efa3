// `taluvek sprache`: the translations of the installation's language
// database as a gettext catalogue (PO file) for the translators, and back.

#ifndef VX_CLI_SPRACHE_H_
#define VX_CLI_SPRACHE_H_

#include "cli/command_line.h"

namespace vx::cli {

// Registers the command "sprache" on `line`, with its commands:
//   export DATEI.po --sprache N   writes the texts and their translations
//                                 into language N (2 to 4) as a PO file
//   export --vorlage DATEI.pot    writes the texts as a template
//   import DATEI.po --sprache N   writes the PO file's translations back
// ("--sprache=N" is understood too; --help or -h shows the usage).  The file
// "-" is standard input for import and standard output for export (the
// report then goes to standard error).  The database is Language2.vx3db in
// the directory of the key "SYSTEM" of the settings file.  Reports go to
// standard output, errors and skipped entries to standard error.  Exit codes: 0 done, 1 failed, 2 usage error.
void AddSprache(CommandLine& line);

}  // namespace vx::cli

#endif  // VX_CLI_SPRACHE_H_
