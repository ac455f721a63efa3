// OpenDb in server mode: a file's database object sees and changes only the
// file's rows, however its statements are written.

#include "data/server_databases.h"

#include <gtest/gtest.h>

#include "engine/dao_errors.h"
#include "engine/database.h"
#include "engine/engine_test_util.h"
#include "engine/recordset.h"
#include "server/file_table.h"
#include "server/server_test_util.h"
#include "support/installation.h"
#include "vx_taluvek/error.h"

namespace vx {
namespace {

using dao::testing::ErrorOf;
using testing::Installation;

class ServerDatabasesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cluster_ = testing::PgCluster::Shared();
    if (cluster_ == nullptr) GTEST_SKIP() << testing::PgCluster::WhyNot();
    server_ = std::make_unique<server::TestServerDatabase>(cluster_);
    server::RunStatement(server_->Superuser().get(),
                         "ALTER TABLE tabmassen ADD COLUMN Menge double precision, "
                         "ADD COLUMN Text varchar(50)");
    inst_.WriteSettings("[Server]\nDatenbankArt=2\nVerbindung=" + server_->WorkerString() +
                        "\n");
    testing::PgConnection whole = server_->Worker();
    a_ = server::RegisterFile(whole.get(), kFileA);
    b_ = server::RegisterFile(whole.get(), kFileB);
  }

  DbHandle Open(const std::string& path) {
    Variant connect(kBareConnect);
    return OpenDb(path, false, Variant(false), connect, true);
  }

  // What the superuser, who sees past row-level security, counts of b's rows.
  std::string RowsOfB() {
    return server::RunForValue(server_->Superuser().get(),
                               "SELECT count(*) || '/' || coalesce(sum(menge), 0) || '/' || "
                               "coalesce(string_agg(text, ',' ORDER BY text), '') "
                               "FROM tabmassen WHERE vid = " + std::to_string(b_));
  }

  static constexpr const char* kFileA = "T:\\P\\4711.VX3LV";
  static constexpr const char* kFileB = "T:\\P\\4712.VX3LV";
  testing::PgCluster* cluster_ = nullptr;
  std::unique_ptr<server::TestServerDatabase> server_;
  Installation inst_;
  int32_t a_ = 0, b_ = 0;
};

TEST_F(ServerDatabasesTest, AFilesObjectKnowsItsNumberAndSeesOnlyItsRows) {
  DbHandle a = Open(kFileA);
  DbHandle b = Open("t:\\p\\4712.vx3lv");
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->VID(), a_);
  EXPECT_EQ(b->VID(), b_);
  EXPECT_EQ(a->Name(), kFileA);
  a->Execute("INSERT INTO TabMassen (Menge, Text) VALUES (1.5, 'a1')");
  a->Execute("INSERT INTO TabMassen (Menge, Text) VALUES (2.5, 'a2')");
  b->Execute("INSERT INTO TabMassen (Menge, Text) VALUES (7, 'b1')");
  auto rs = a->OpenRecordset("SELECT * FROM TabMassen ORDER BY Text");
  rs->MoveLast();
  EXPECT_EQ(rs->RecordCount(), 2);
  EXPECT_EQ(CLng(rs->Fields()["vid"].Value()), a_);

  // The placeholder and the shared databases see every file's rows.
  for (const char* whole : {"Dummy.VX3DB", "T:\\X\\DUMMY.VX3DB", "T:\\D\\PROJEKT.VX3DB"}) {
    DbHandle all = Open(whole);
    EXPECT_EQ(all->VID(), 0) << whole;
    auto every = all->OpenRecordset("SELECT Count(*) FROM TabMassen");
    EXPECT_EQ(CLng(every->Fields()[0].Value()), 3) << whole;
  }
  // The standard-text contents have tables of their own kind: a file, known
  // by its path, like a project file.
  const int32_t contents = server::RegisterFile(server_->Worker().get(), "T:\\D\\LBINHALT.VX3DB");
  EXPECT_EQ(Open("t:\\d\\lbinhalt.vx3db")->VID(), contents);

  // A file the server does not know: number 0, and no rows.
  DbHandle unknown = Open("T:\\P\\9999.VX3LV");
  EXPECT_EQ(unknown->VID(), 0);
  EXPECT_TRUE(unknown->OpenRecordset("SELECT * FROM TabMassen")->Eof());
}

TEST_F(ServerDatabasesTest, NoStatementThroughOneFilesObjectReachesAnotherFilesRows) {
  DbHandle a = Open(kFileA);
  DbHandle b = Open(kFileB);
  a->Execute("INSERT INTO TabMassen (Menge, Text) VALUES (1, 'a')");
  b->Execute("INSERT INTO TabMassen (Menge, Text) VALUES (7, 'b1')");
  b->Execute("INSERT INTO TabMassen (Menge, Text) VALUES (8, 'b2')");
  const std::string before = RowsOfB();
  ASSERT_EQ(before, "2/15/b1,b2");
  const std::string bs = std::to_string(b_);

  // Each either fails or touches a's rows only.
  const std::vector<std::string> corpus = {
      "UPDATE TabMassen SET Menge = 0, Text = 'x'",
      "UPDATE TabMassen SET vid = " + bs,
      "UPDATE TabMassen SET Text = 'x' WHERE vid = " + bs,
      "DELETE * FROM TabMassen WHERE vid = " + bs,
      "Delete * from TabMassen",
      "INSERT INTO TabMassen (vid, Menge, Text) VALUES (" + bs + ", 1, 'fremd')",
      "INSERT INTO TabMassen (vid, Menge, Text) SELECT " + bs + ", Menge, Text FROM TabMassen",
      "UPDATE TabMassen SET Text = set_config('vx.vid', '', false)",
      "UPDATE TabMassen SET Text = 'x' WHERE current_setting('vx.vid') = ''",
      "UPDATE pg_settings SET setting = '' WHERE name = 'vx.vid'",
      "DROP TABLE TabMassen",
      "ALTER TABLE TabMassen ADD COLUMN Neu LONG",
      "SET vx.vid = ''",
      "@SET vx.vid = ''",
      "@RESET vx.vid",
      "@SELECT set_config('vx.vid', '', false)",
      "@UPDATE tabmassen SET text = 'x' WHERE pg_catalog.set_config('vx.vid', '', false) = ''",
      "@UPDATE pg_settings SET setting = '' WHERE name = 'vx.vid'",
      "@DO $$BEGIN PERFORM set_config('vx.vid', '', false); END$$",
      "@TRUNCATE tabmassen",
      "@DELETE FROM tabmassen WHERE vid = " + bs,
      "@DELETE FROM tabmassen",
  };
  for (const std::string& sql : corpus) {
    try {
      a->Execute(sql);
    } catch (const Error&) {
    }
    EXPECT_EQ(RowsOfB(), before) << sql;
    // And the object stays bound to its file afterwards.
    auto rs = a->OpenRecordset("SELECT * FROM TabMassen WHERE vid <> " + std::to_string(a_));
    EXPECT_TRUE(rs->Eof()) << sql;
  }
  // Reading: nothing of b's comes back, whichever way it is asked for.
  for (const std::string& sql : std::vector<std::string>{
           "SELECT * FROM TabMassen WHERE vid = " + bs,
           "SELECT * FROM TabMassen WHERE Text LIKE 'b%'",
           "SELECT Max(Text) AS t FROM TabMassen WHERE Text > 'a'",
           "SELECT * FROM TabMassen WHERE Text IN (SELECT Text FROM TabMassen WHERE vid = " + bs +
               ")",
           "@SELECT * FROM tabmassen WHERE vid = " + bs,
           "@SELECT t.* FROM tabmassen t, tabmassen u WHERE u.text = 'b1'",
       }) {
    try {
      auto rs = a->OpenRecordset(sql);
      for (; !rs->Eof(); rs->MoveNext()) {
        for (int i = 0; i < rs->Fields().Count(); ++i) {
          const Variant value = rs->Fields()[i].Value();
          EXPECT_FALSE(value.IsString() && CStr(value).rfind("b", 0) == 0) << sql;
        }
      }
    } catch (const Error&) {
    }
  }
  // The statements above that may run did run on a's rows.
  DbHandle all = Open("Dummy.VX3DB");
  auto rest = all->OpenRecordset("SELECT Count(*) FROM TabMassen WHERE vid = " +
                                 std::to_string(a_));
  EXPECT_EQ(CLng(rest->Fields()[0].Value()), 0);
}

TEST_F(ServerDatabasesTest, StatementsForTheServerAsItIsRunUntranslatedOnTheWholeDatabase) {
  DbHandle all = Open("Dummy.VX3DB");
  all->Execute("@INSERT INTO tabmassen (vid, menge) SELECT " + std::to_string(a_) +
               ", g FROM generate_series(1, 10) g");
  EXPECT_EQ(all->RecordsAffected(), 10);
  auto rs = all->OpenRecordset("@SELECT sum(menge)::integer AS s FROM tabmassen");
  EXPECT_EQ(CLng(rs->Fields()["s"].Value()), 55);
  // One statement per call there too: the server refuses a second.
  EXPECT_EQ(ErrorOf([&] { all->Execute("@DELETE FROM tabmassen; DELETE FROM vxdateien"); }),
            dao::kErrSyntax);
  EXPECT_EQ(ErrorOf([&] { all->OpenRecordset("@SELECT 1; DELETE FROM tabmassen"); }),
            dao::kErrSyntax);
  EXPECT_EQ(CLng(all->OpenRecordset("SELECT Count(*) FROM TabMassen")->Fields()[0].Value()), 10);
  DbHandle a = Open(kFileA);
  EXPECT_EQ(ErrorOf([&] { a->OpenRecordset("@SELECT sum(menge)::integer FROM tabmassen"); }),
            dao::kErrSyntax);
}

}  // namespace
}  // namespace vx
