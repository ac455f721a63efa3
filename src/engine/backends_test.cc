// The object model's promises, held alike by a database file and by the
// database server.

#include <gtest/gtest.h>

#include "engine/dao_errors.h"
#include "engine/database.h"
#include "engine/db_engine.h"
#include "engine/engine_test_util.h"
#include "engine/pg_database.h"
#include "engine/recordset.h"
#include "engine/schema.h"
#include "engine/sql_dialect.h"
#include "platform/text.h"
#include "support/pg_cluster.h"
#include "support/test_support.h"

namespace vx::dao {
namespace {

using testing::ErrorOf;
using testing::kPassword;
using testing::kProjectSchema;

struct FileBackend {
  std::shared_ptr<Database> Make() {
    const std::string path = dir.File("PROJEKT.VX3DB");
    CreateDatabase(path, kProjectSchema, kPassword);
    return DBEngine().OpenDatabase(path, false, false, std::string(";pwd=") + kPassword);
  }
  vx::testing::TempDir dir;
};

struct ServerBackend {
  std::shared_ptr<Database> Make() {
    vx::testing::PgCluster* cluster = vx::testing::PgCluster::Shared();
    if (cluster == nullptr) return nullptr;
    auto db = OpenServerDatabase(cluster->ConnectionString(cluster->NewDatabase()),
                                 "Dummy.VX3DB", kWholeDatabase, false);
    for (std::string_view statement : SplitScript(kProjectSchema)) {
      db->Execute(std::string(statement));
    }
    return db;
  }
};

template <typename Backend>
class BackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = backend_.Make();
    if (!db_) GTEST_SKIP() << vx::testing::PgCluster::WhyNot();
  }
  void Insert(int count) {
    for (int i = 1; i <= count; ++i) {
      db_->Execute("INSERT INTO Projekt (ProNr, Menge) VALUES ('P" + std::to_string(i) +
                   "', " + std::to_string(i) + ")");
    }
  }
  Backend backend_;
  std::shared_ptr<Database> db_;
};

using Backends = ::testing::Types<FileBackend, ServerBackend>;
TYPED_TEST_SUITE(BackendTest, Backends);

TYPED_TEST(BackendTest, AnEmptyRecordsetHasNoCurrentRow) {
  auto rs = this->db_->OpenRecordset("SELECT * FROM Projekt");
  EXPECT_TRUE(rs->Eof());
  EXPECT_TRUE(rs->Bof());
  EXPECT_EQ(rs->RecordCount(), 0);
  EXPECT_EQ(ErrorOf([&] { rs->MoveFirst(); }), kErrNoCurrentRecord);
  EXPECT_EQ(ErrorOf([&] { rs->MoveNext(); }), kErrNoCurrentRecord);
  EXPECT_EQ(ErrorOf([&] { rs->Fields()["ProNr"].Value(); }), kErrNoCurrentRecord);
  EXPECT_EQ(ErrorOf([&] { rs->Edit(); }), kErrNoCurrentRecord);
}

TYPED_TEST(BackendTest, MovesCountAndBookmarksAlike) {
  this->Insert(3);
  auto rs = this->db_->OpenRecordset("SELECT ProNr, Menge FROM Projekt ORDER BY Menge");
  EXPECT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->Fields().Count(), 2);
  EXPECT_EQ(ErrorOf([&] { rs->Fields()["Fehlt"]; }), kErrItemNotFound);
  EXPECT_EQ(ErrorOf([&] { rs->Fields()[2]; }), kErrItemNotFound);
  rs->MoveNext();
  const Variant second = rs->Bookmark();
  rs->MoveLast();
  EXPECT_EQ(rs->RecordCount(), 3);
  EXPECT_EQ(rs->Fields()["menge"].Value().IsEmpty(), false);
  EXPECT_EQ(CLng(rs->Fields()["Menge"].Value()), 3);
  rs->MoveNext();
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(ErrorOf([&] { rs->MoveNext(); }), kErrNoCurrentRecord);
  rs->MovePrevious();
  EXPECT_EQ(CLng(rs->Fields()["Menge"].Value()), 3);
  rs->SetBookmark(second);
  EXPECT_EQ(rs->Fields()["ProNr"].Value(), Variant("P2"));
  auto other = this->db_->OpenRecordset("SELECT ProNr FROM Projekt");
  EXPECT_EQ(ErrorOf([&] { other->SetBookmark(second); }), kErrBadBookmark);
  rs->Close();
  EXPECT_EQ(ErrorOf([&] { rs->MoveFirst(); }), kErrObjectInvalid);
}

TYPED_TEST(BackendTest, EditsGoThroughTheBufferAndOnlyWhereTheyMay) {
  this->Insert(1);
  auto rs = this->db_->OpenRecordset("SELECT * FROM Projekt");
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }), kErrUpdateWithoutEdit);
  EXPECT_EQ(ErrorOf([&] { rs->Fields()["ProBez"].SetValue(Variant("x")); }),
            kErrUpdateWithoutEdit);
  rs->Edit();
  rs->Fields()["ProBez"].SetValue(Variant("neu"));
  EXPECT_EQ(rs->Fields()["ProBez"].Value(), Variant("neu"));
  rs->CancelUpdate();
  EXPECT_TRUE(rs->Fields()["ProBez"].Value().IsNull());
  EXPECT_EQ(ErrorOf([&] { rs->Fields()["ProBez"].SetValue(Variant(std::string(51, 'x'))); }),
            kErrUpdateWithoutEdit);

  rs->AddNew();
  rs->Fields()["ProNr"].SetValue(Variant("P9"));
  rs->Fields()["Budget"].SetValue(Variant(12.5));
  rs->Update();
  rs->SetBookmark(rs->LastModified());
  EXPECT_GT(CLng(rs->Fields()["Id"].Value()), 1);
  EXPECT_FALSE(rs->Fields()["Aktualisierung"].Value().IsNull());  // the default
  EXPECT_EQ(rs->Fields()["Budget"].Type(), kTypeCurrency);
  EXPECT_EQ(rs->Fields()["Beginn"].Type(), kTypeDate);
  EXPECT_EQ(rs->Fields()["BEMERKUNG"].Type(), kTypeMemo);
  EXPECT_EQ(rs->Fields()["Bild"].Type(), kTypeLongBinary);
  EXPECT_EQ(rs->Fields()["Menge"].Type(), kTypeLong);

  auto snapshot = this->db_->OpenRecordset("SELECT * FROM Projekt", Variant(int32_t{kOpenSnapshot}));
  EXPECT_EQ(ErrorOf([&] { snapshot->Edit(); }), kErrReadOnly);
  EXPECT_EQ(ErrorOf([&] { snapshot->AddNew(); }), kErrReadOnly);
  auto grouped = this->db_->OpenRecordset("SELECT Count(*) AS n FROM Projekt");
  EXPECT_EQ(CLng(grouped->Fields()["n"].Value()), 2);
  EXPECT_EQ(ErrorOf([&] { grouped->Edit(); }), kErrReadOnly);
  EXPECT_EQ(ErrorOf([&] { this->db_->OpenRecordset("SELECT * FROM Projekt", Variant(3)); }),
            kErrInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { this->db_->OpenRecordset("DELETE FROM Projekt"); }),
            kErrInvalidOperation);
}

TYPED_TEST(BackendTest, TheDialectMeansTheSameOnBoth) {
  this->Insert(3);
  this->db_->Execute("UPDATE Projekt SET IsRVProj = True, Beginn = #12/24/2024# WHERE Menge > 1");
  EXPECT_EQ(this->db_->RecordsAffected(), 2);
  auto rs = this->db_->OpenRecordset(
      "SELECT Count(*) AS n FROM Projekt WHERE IsRVProj = -1 AND Beginn = #2024-12-24# "
      "AND ProNr IN ('p2', 'P3') AND UCase(ProNr) LIKE 'P%'");
  EXPECT_EQ(CLng(rs->Fields()["n"].Value()), 2);
  this->db_->Execute("Delete * from Projekt WHERE ProNr = 'p1'");
  EXPECT_EQ(this->db_->RecordsAffected(), 1);
  EXPECT_EQ(ErrorOf([&] { this->db_->Execute("DELETE FROM Projekt; DELETE FROM Nummer"); }),
            kErrTextAfterEnd);
  EXPECT_EQ(ErrorOf([&] { this->db_->OpenRecordset("SELECT * FROM Fehlt"); }),
            kErrTableNotFound);
}

TYPED_TEST(BackendTest, ColumnsKeepTheirDeclaredSpellingAndYesNoType) {
  this->Insert(2);
  this->db_->Execute("UPDATE Projekt SET IsRVProj = True WHERE Menge = 2");
  for (const std::string source : {"SELECT * FROM Projekt ORDER BY Menge", "Projekt"}) {
    SCOPED_TRACE(source);
    auto rs = this->db_->OpenRecordset(source);
    std::vector<std::string> names;
    for (int32_t i = 0; i < rs->Fields().Count(); ++i) {
      names.push_back(rs->Fields()[i].Name());
    }
    EXPECT_EQ(names[1], "ProNr");
    EXPECT_EQ(names[3], "IsRVProj");
    EXPECT_EQ(names[11], "BEMERKUNG");
    EXPECT_EQ(rs->Fields()["isrvproj"].Type(), kTypeBoolean);
    EXPECT_EQ(rs->Fields()["Anzahl"].Type(), kTypeInteger);
  }
  // The statement's own spelling of a name it writes wins.
  auto named = this->db_->OpenRecordset("SELECT pronr, IsRvProj AS Rv FROM Projekt ORDER BY Menge");
  EXPECT_EQ(named->Fields()[1].Name(), "Rv");
  EXPECT_EQ(named->Fields()["Rv"].Type(), kTypeBoolean);
  EXPECT_EQ(named->Fields()["Rv"].Value(), Variant(false));
  named->MoveNext();
  EXPECT_EQ(named->Fields()["Rv"].Value(), Variant(true));

  auto rs = this->db_->OpenRecordset("Projekt");
  rs->AddNew();
  rs->Fields()["ProNr"].SetValue(Variant("P3"));
  rs->Fields()["IsRVProj"].SetValue(Variant(true));
  rs->Update();
  rs->SetBookmark(rs->LastModified());
  EXPECT_EQ(rs->Fields()["IsRVProj"].Value(), Variant(true));
  auto count = this->db_->OpenRecordset(
      "SELECT Count(*) AS n FROM Projekt WHERE IsRVProj = True");
  EXPECT_EQ(CLng(count->Fields()["n"].Value()), 2);
}

TYPED_TEST(BackendTest, NullsJoinToNullAndYesNoColumnsStandAsConditions) {
  this->Insert(3);
  this->db_->Execute("UPDATE Projekt SET IsRVProj = True WHERE Menge = 2");
  auto count = [&](const std::string& where) {
    auto rs = this->db_->OpenRecordset("SELECT Count(*) AS n FROM Projekt WHERE " + where);
    return CLng(rs->Fields()["n"].Value());
  };
  EXPECT_EQ(count("IsRVProj"), 1);
  EXPECT_EQ(count("NOT IsRVProj"), 2);
  EXPECT_EQ(count("Projekt.IsRVProj OR Menge = 3"), 2);
  EXPECT_EQ(count("(NOT IsRVProj) AND Menge BETWEEN 1 AND 2"), 1);
  // Texts of two columns compare without regard to case.
  this->db_->Execute("UPDATE Projekt SET ProBez = 'p1' WHERE Menge = 1");
  this->db_->Execute("UPDATE Projekt SET ProNr = 'ärger', ProBez = 'ÄRGER' WHERE Menge = 2");
  this->db_->Execute("UPDATE Projekt SET ProBez = 'a' WHERE Menge = 3");
  EXPECT_EQ(count("ProNr = ProBez"), 2);
  EXPECT_EQ(count("Projekt.ProNr <> Projekt.ProBez"), 1);
  EXPECT_EQ(count("ProNr > ProBez"), 1);
  EXPECT_EQ(count("Menge = Menge AND Beginn = Beginn"), 0);
  this->db_->Execute("UPDATE Projekt SET ProBez = 'Äpfel' WHERE Menge = 2");
  this->db_->Execute("UPDATE Projekt SET ProBez = 'äPFEL' WHERE Menge = 3");
  auto groups = this->db_->OpenRecordset(
      "SELECT ProBez, Count(*) AS n FROM Projekt GROUP BY ProBez ORDER BY ProBez");
  EXPECT_EQ(CLng(groups->Fields()["n"].Value()), 2);
  EXPECT_EQ(groups->Fields()[0].Name(), "ProBez");
  EXPECT_EQ(UCase(CStr(groups->Fields()["ProBez"].Value())), "ÄPFEL");
  groups->MoveNext();
  EXPECT_EQ(CLng(groups->Fields()["n"].Value()), 1);
  this->db_->Execute("UPDATE Projekt SET ProBez = Null WHERE Menge = 1");
  auto rs = this->db_->OpenRecordset(
      "SELECT ProBez & ProBez AS a, ProNr & ProBez AS b, ProBez & Menge AS c, "
      "IIf(IsRVProj, 'ja', 'nein') AS d FROM Projekt WHERE Menge = 1");
  EXPECT_TRUE(rs->Fields()["a"].Value().IsNull());
  EXPECT_EQ(rs->Fields()["b"].Value(), Variant("P1"));
  EXPECT_EQ(rs->Fields()["c"].Value(), Variant("1"));
  EXPECT_EQ(rs->Fields()["d"].Value(), Variant("nein"));
}

}  // namespace
}  // namespace vx::dao
