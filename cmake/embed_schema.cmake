# Writes a C++ source that holds the text of every schema/*.sql script, so
# that the library carries the suite's database templates itself.
# Run with -DSCHEMA_DIR=... -DOUTPUT=..., and for another set of scripts
# -DFUNCTION=... -DHEADER=... -DNAMESPACE=... (defaults: the templates').
if(NOT FUNCTION)
  set(FUNCTION SchemaScripts)
  set(HEADER data/schema_scripts.h)
  set(NAMESPACE vx)
endif()
file(GLOB scripts "${SCHEMA_DIR}/*.sql")
list(SORT scripts)
set(body "")
foreach(script ${scripts})
  get_filename_component(name ${script} NAME_WE)
  file(READ ${script} text)
  string(APPEND body "    {\"${name}\", R\"vxschema(${text})vxschema\"},\n")
endforeach()
file(WRITE ${OUTPUT}.tmp
"// Generated from ${SCHEMA_DIR}/*.sql by cmake/embed_schema.cmake; do not edit.
#include \"${HEADER}\"

namespace ${NAMESPACE} {

const std::vector<SchemaScriptEntry>& ${FUNCTION}() {
  static const std::vector<SchemaScriptEntry> scripts = {
${body}  };
  return scripts;
}

}  // namespace ${NAMESPACE}
")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${OUTPUT}.tmp ${OUTPUT})
