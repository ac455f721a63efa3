// The suite's database templates, as SQL scripts of the engine's dialect
// carried inside the library (from the repository's schema/ folder).

#ifndef VX_DATA_SCHEMA_SCRIPTS_H_
#define VX_DATA_SCHEMA_SCRIPTS_H_

#include <string_view>
#include <vector>

namespace vx {

struct SchemaScriptEntry {
  std::string_view name;    // the script's file name without ".sql"
  std::string_view script;  // its text
};

// Every script, sorted by name.
const std::vector<SchemaScriptEntry>& SchemaScripts();

// The script named `name` (without ".sql"; without regard to case).
// Raises 53 when there is none.
std::string_view SchemaScript(std::string_view name);

}  // namespace vx

#endif  // VX_DATA_SCHEMA_SCRIPTS_H_
