#include "data/schema_scripts.h"

#include "platform/text.h"
#include "vx_taluvek/error.h"

namespace vx {

std::string_view SchemaScript(std::string_view name) {
  for (const SchemaScriptEntry& entry : SchemaScripts()) {
    if (EqualsNoCase(entry.name, name)) return entry.script;
  }
  Raise(53, "Datenbankvorlage '" + std::string(name) + "' nicht gefunden");
}

}  // namespace vx
