// Templates on the server: a file's rows saved under a name, found by the
// name, deleted by name or pattern.

#include "files/templates.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "server/file_table.h"
#include "files/server_files_test_util.h"
#include "server/server_test_util.h"
#include "support/installation.h"
#include "vx_taluvek/error.h"

namespace vx {
namespace {

using testing::Installation;

class TemplatesTest : public testing::ServerInstallationTest {
 protected:
  void SetUp() override {
    ServerInstallationTest::SetUp();
    if (IsSkipped()) return;
    testing::PgConnection owner = server_->Superuser();
    lv_ = server::RegisterFile(owner.get(), kLv);
    const int32_t other = server::RegisterFile(owner.get(), "T:\\P\\4712__01.VX3LV");
    for (int32_t vid : {lv_, lv_, other}) {
      server::RunStatement(owner.get(), "INSERT INTO tabmassen (vid, kennvon) VALUES (" +
                                            std::to_string(vid) + ", 'LV')");
    }
  }


  static constexpr const char* kLv = "T:\\P\\4711__01.VX3LV";
  int32_t lv_ = 0;
};

TEST_F(TemplatesTest, ASavedSetHoldsTheFilesRowsUnderItsName) {
  VorlageSpeichern(kLv, "LV", "4711__01.VX3L1");
  EXPECT_EQ(Query("SELECT string_agg(filename || '/' || typ, ',') FROM vorlagen"),
            "4711__01.VX3L1/LV");
  EXPECT_EQ(Query("SELECT count(*) || '/' || min(vid) FROM savlv__tabmassen "
                  "WHERE sicherungsname = '4711__01.VX3L1'"),
            "2/" + std::to_string(lv_));
  EXPECT_TRUE(VorlageExists("4711__01.VX3L1"));
  EXPECT_FALSE(VorlageExists("4711__02.VX3L1"));

  // A kind without tables saves only the name; a kind that is no plain
  // name saves nothing.
  VorlageSpeichern(kLv, "XY", "leer");
  EXPECT_TRUE(VorlageExists("leer"));
  VorlageSpeichern(kLv, "LV\"; --", "boese");
  EXPECT_FALSE(VorlageExists("boese"));
  EXPECT_FALSE(Err().IsSet());
}

TEST_F(TemplatesTest, NamesWithApostrophesAreSavedFoundAndDeleted) {
  VorlageSpeichern(kLv, "LV", "O'Neil.VX3L1");
  EXPECT_TRUE(VorlageExists("O'Neil.VX3L1"));
  std::string name = "O'Neil.VX3L1";
  EXPECT_TRUE(VorlageLoeschen("LV", name));
  EXPECT_FALSE(VorlageExists("O'Neil.VX3L1"));
  EXPECT_EQ(Query("SELECT count(*) FROM savlv__tabmassen"), "0");
}

// In a pattern only "*" is a wildcard: "_" and "%" stand for themselves.
TEST_F(TemplatesTest, APatternMatchesItsUnderscoresLiterally) {
  for (const char* set : {"4711__01.VX3L1", "4711__02.VX3LX", "4711ab.VX3L1", "4711%x.VX3L1"}) {
    VorlageSpeichern(kLv, "LV", set);
  }
  VorlageSpeichern(kLv, "LB", "4711__03.VX3L1");
  std::string pattern = "4711__*";
  EXPECT_TRUE(VorlageLoeschen("LV", pattern));
  EXPECT_EQ(pattern, "4711__%");
  EXPECT_EQ(Query("SELECT string_agg(filename, ',' ORDER BY filename COLLATE \"C\") FROM vorlagen"),
            "4711%x.VX3L1,4711__03.VX3L1,4711ab.VX3L1");
  EXPECT_EQ(Query("SELECT string_agg(DISTINCT sicherungsname COLLATE \"C\", ',') FROM savlv__tabmassen"),
            "4711%x.VX3L1,4711ab.VX3L1");
  pattern = "4711%*";
  EXPECT_TRUE(VorlageLoeschen("LV", pattern));
  EXPECT_FALSE(VorlageExists("4711%x.VX3L1"));
  EXPECT_TRUE(VorlageExists("4711ab.VX3L1"));
  pattern = "nichts*";
  EXPECT_FALSE(VorlageLoeschen("LV", pattern));

  // An exact name deletes the sets of that name whatever their kind.
  std::string exact = "4711__03.VX3L1";
  EXPECT_TRUE(VorlageLoeschen("LV", exact));
  EXPECT_FALSE(VorlageExists("4711__03.VX3L1"));
}

TEST_F(TemplatesTest, OutsideServerModeNothingChanges) {
  VorlageSpeichern(kLv, "LV", "4711__01.VX3L1");
  inst_.WriteSettings("[Server]\nDatenbankArt=1\n");
  testing::RunInFreshThread([&] {
    EXPECT_FALSE(VorlageExists("4711__01.VX3L1"));
    std::string pattern = "4711*";
    EXPECT_FALSE(VorlageLoeschen("LV", pattern));
    EXPECT_EQ(pattern, "4711*");
    VorlageSpeichern(kLv, "LV", "neu");
  });
  EXPECT_EQ(Query("SELECT count(*) FROM vorlagen"), "1");
}

}  // namespace
}  // namespace vx
