// What the engine's tests share: a database made from a schema script in a
// temporary folder, and a check of the error a statement raises.

#ifndef VX_ENGINE_ENGINE_TEST_UTIL_H_
#define VX_ENGINE_ENGINE_TEST_UTIL_H_

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "engine/dao_errors.h"
#include "engine/database.h"
#include "engine/db_engine.h"
#include "engine/field_types.h"
#include "engine/recordset.h"
#include "engine/schema.h"
#include "support/test_support.h"
#include "vx_taluvek/error.h"

namespace vx::dao::testing {

inline constexpr const char* kPassword = "KQ7ZT_NORVELAX93";

// A table with a column of every type the engine knows.
inline constexpr const char* kProjectSchema = R"(
  -- projects
  CREATE TABLE Projekt (
    Id COUNTER PRIMARY KEY,
    ProNr TEXT(20) NOT NULL,
    ProBez TEXT(50),
    IsRVProj YESNO,
    Beginn DATETIME,
    Budget CURRENCY,
    Faktor DOUBLE,
    Anzahl SHORT,
    Stufe BYTE,
    Menge LONG,
    Anteil SINGLE,
    BEMERKUNG MEMO,
    Bild LONGBINARY,
    Kennung GUID,
    Aktualisierung DATETIME DEFAULT Now()
  );
  CREATE UNIQUE INDEX ixProNr ON Projekt (ProNr);
  CREATE TABLE Nummer (Id LONG, Name TEXT(10));
)";

// The error number `step` raises, 0 when it raises none.
inline int32_t ErrorOf(const std::function<void()>& step) {
  try {
    step();
  } catch (const Error& e) {
    return e.number();
  }
  return 0;
}

// The description of the error `step` raises.
inline std::string DescriptionOf(const std::function<void()>& step) {
  try {
    step();
  } catch (const Error& e) {
    return e.description();
  }
  return "";
}

// The values of a one-column query, as texts joined by "|".
inline std::string ColumnOf(Database& db, const std::string& sql) {
  std::shared_ptr<Recordset> rs = db.OpenRecordset(sql, kOpenSnapshot);
  std::string joined;
  for (; !rs->Eof(); rs->MoveNext()) {
    if (!joined.empty()) joined += "|";
    joined += CStr(rs->Fields()[0].Value());
  }
  return joined;
}

// A database made from kProjectSchema (or another script) in a fresh
// folder; the settings home points into the folder too.
class EngineFixture : public ::testing::Test {
 protected:
  EngineFixture()
      : home_("TARVANO_HOME", dir_.path()), path_(dir_.File("PROJEKT.VX3DB")) {}

  void SetUp() override { CreateDatabase(path_, kProjectSchema, kPassword); }

  std::shared_ptr<Database> Open(bool exclusive = false, bool read_only = false) {
    return engine_.OpenDatabase(path_, exclusive, read_only,
                                std::string(";pwd=") + kPassword);
  }

  vx::testing::TempDir dir_;
  vx::testing::ScopedEnv home_;
  std::string path_;
  DBEngine engine_;
};

}  // namespace vx::dao::testing

#endif  // VX_ENGINE_ENGINE_TEST_UTIL_H_
