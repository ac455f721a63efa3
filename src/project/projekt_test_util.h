// What the tests of the project object share: a temporary installation
// whose directory key PROJEKT names a folder holding PROJEKT.VX3DB, made
// from the template, and a few direct ways into that database.

#ifndef VX_PROJECT_PROJEKT_TEST_UTIL_H_
#define VX_PROJECT_PROJEKT_TEST_UTIL_H_

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <memory>
#include <string>

#include "data/connections.h"
#include "data/schema_scripts.h"
#include "data/sql_text.h"
#include "engine/dao_errors.h"
#include "engine/schema.h"
#include "platform/module_state.h"
#include "support/fake_host.h"
#include "support/installation.h"
#include "vx_taluvek/cls_projekt.h"
#include "vx_taluvek/error.h"

namespace vx::testing {

class ProjektTest : public ::testing::Test {
 protected:
  ProjektTest() : folder(inst.File("daten")), path(folder + "/PROJEKT.VX3DB") {
    mkdir(folder.c_str(), 0777);
    inst.WriteSettings("[Datei Verzeichnisse]\nPROJEKT=" + folder + "\n");
    dao::CreateDatabase(path, SchemaScript("PRJSTRUK"), kSuitePassword);
  }

  // A connection of its own, as another user would have.
  DbHandle Open() {
    return engine.OpenDatabase(path, false, false,
                               std::string(kBareConnect) + kSuitePassword);
  }
  void Execute(const std::string& sql) { Open()->Execute(sql); }

  // Adds a project numbered `nr` with the given further columns and values
  // ("ProBez, NNF" and "'Neubau', 12.5"); answers its Id.
  int32_t Add(const std::string& nr, const std::string& columns = "",
              const std::string& values = "") {
    DbHandle db = Open();
    db->Execute("INSERT INTO Projekt (ProNr" +
                (columns.empty() ? "" : ", " + columns) + ") VALUES (" +
                SqlText(nr) + (values.empty() ? "" : ", " + values) + ")");
    RsHandle rs = db->OpenRecordset("SELECT Max(Id) AS Neu FROM Projekt");
    return CLng(rs->Fields()["Neu"].Value());
  }

  // The value of `column` in the row `id` as stored (null when no row).
  Variant Stored(int32_t id, const std::string& column) {
    RsHandle rs = Open()->OpenRecordset(
        "SELECT " + column + " FROM Projekt WHERE Id = " + std::to_string(id));
    return rs->RecordCount() > 0 ? rs->Fields()[0].Value() : Variant::Null();
  }
  int32_t Rows() {
    return CLng(Open()
                    ->OpenRecordset("SELECT Count(*) AS N FROM Projekt")
                    ->Fields()[0]
                    .Value());
  }

  // The 200 ms pauses of the retry loops so far.
  long Pauses() const {
    long n = 0;
    for (int32_t ms : host.sleeps) n += ms == 200;
    return n;
  }

  Installation inst;
  FakeHost host;
  std::string folder;
  std::string path;
  dao::DBEngine engine;
};

// Another user's write transaction on the file `path` while it lives: rows
// can be read, but every write waits for it (five seconds) and then fails
// with 3218.
class WriteLockHolder {
 public:
  explicit WriteLockHolder(const std::string& path) {
    EXPECT_EQ(sqlite3_open(path.c_str(), &db_), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr),
              SQLITE_OK);
  }
  ~WriteLockHolder() {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db_);
  }
  WriteLockHolder(const WriteLockHolder&) = delete;
  WriteLockHolder& operator=(const WriteLockHolder&) = delete;

 private:
  sqlite3* db_ = nullptr;
};

// The error fields of `p` as one value, for EXPECT_EQ.
inline std::pair<int32_t, std::string> ErrorFields(const cls_Projekt& p) {
  return {p.lProjektErrNum(), p.sProjektErrText()};
}

}  // namespace vx::testing

#endif  // VX_PROJECT_PROJEKT_TEST_UTIL_H_
