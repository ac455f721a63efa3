#include "data/server_databases.h"

#include "engine/pg_database.h"
#include "files/file_set.h"
#include "files/path_utils.h"
#include "platform/text.h"
#include "server/file_table.h"
#include "translate/language_db.h"
#include "vx_taluvek/host.h"
#include "vx_taluvek/settings.h"

namespace vx {

namespace {

constexpr size_t kConnectionTextSize = 1024;

}  // namespace

std::string ServerConnectionText() {
  std::string value;
  CurrentHost().GetProfileString("Server", "Verbindung", "", &value,
                                 kConnectionTextSize, SettingsFileName());
  return value;
}

bool IsWholeServerDatabase(const std::string& file_name) {
  const std::string name = GetFileName(file_name);
  if (EqualsNoCase(name, kServerDatabaseName) || EqualsNoCase(name, kLanguageDbName)) {
    return true;
  }
  // The standard-text contents and the element catalogue have tables of
  // their own kind, which are copied and deleted by file number: like a
  // project file they are known by their path.
  std::string document_type;
  return IsSharedDatabaseName(name) &&
         !(UCase(Right(name, 6)) == ".VX3DB" && !GetTables_4SQL(name, document_type).empty());
}

DbHandle OpenServerDb(const std::string& file_name, bool read_only) {
  const std::string conninfo = ServerConnectionText();
  int32_t vid = dao::kWholeDatabase;
  if (!IsWholeServerDatabase(file_name)) {
    vid = server::FileNumberOf(dao::ServerConnection(conninfo), file_name);
  }
  return dao::OpenServerDatabase(conninfo, file_name, vid, read_only);
}

}  // namespace vx
