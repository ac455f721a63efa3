// `taluvek sprache`: the translations of the installation's language
// database as a gettext catalogue (PO file) for the translators, and back.

#ifndef VX_CLI_SPRACHE_H_
#define VX_CLI_SPRACHE_H_

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace vx::cli {

// Runs the command with its arguments after "sprache":
//   export DATEI.po --sprache N   writes the texts and their translations
//                                 into language N (2 to 4) as a PO file
//   export --vorlage DATEI.pot    writes the texts as a template
//   import DATEI.po --sprache N   writes the PO file's translations back
// ("--sprache=N" is understood too; --help or -h shows the usage).  The file
// "-" is `in` for import and `out` for export (the report then goes to
// `err`).  The database is Language2.vx3db in the directory of the key
// "SYSTEM" of the settings file.  Reports go to `out`, errors and skipped
// entries to `err`.  Returns the process exit code: 0 done, 1 failed, 2
// usage error.
int RunSprache(const std::vector<std::string>& args, std::istream& in,
               std::ostream& out, std::ostream& err);
// The same with standard input as `in`.
int RunSprache(const std::vector<std::string>& args, std::ostream& out,
               std::ostream& err);

}  // namespace vx::cli

#endif  // VX_CLI_SPRACHE_H_
