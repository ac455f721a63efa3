#include "engine/password.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

namespace vx::dao {
namespace {

TEST(EnginePassword, ConnectTextCarriesThePassword) {
  EXPECT_EQ(ConnectPassword(";pwd=geheim"), "geheim");
  EXPECT_EQ(ConnectPassword("ODBC; PWD =a=b;uid=x"), "a=b");
  EXPECT_EQ(ConnectPassword(";Pwd="), "");
  EXPECT_EQ(ConnectPassword(";pwd= blank "), " blank ");
  EXPECT_FALSE(ConnectPassword(""));
  EXPECT_FALSE(ConnectPassword(";uid=pwd;password=x"));
}

class PasswordFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK); }
  void TearDown() override { sqlite3_close(db_); }

  void Exec(const std::string& sql) {
    ASSERT_EQ(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sql;
  }

  sqlite3* db_ = nullptr;
};

// The salt and digest that files with the password "geheim" were written
// with before: they must keep opening with it, and only with it.
TEST_F(PasswordFileTest, FilesWrittenBeforeStillOpen) {
  Exec("CREATE TABLE vx_password (salt BLOB NOT NULL, digest BLOB NOT NULL)");
  Exec("INSERT INTO vx_password VALUES (x'000102030405060708090a0b0c0d0e0f', "
       "x'e89542bd63a00abc4b1dd4abbc3913c0dc4036b30ed04afa1cc52b8e8df9ec93')");
  EXPECT_TRUE(PasswordAccepts(db_, ";pwd=geheim", "x"));
  EXPECT_FALSE(PasswordAccepts(db_, ";pwd=Geheim", "x"));
  EXPECT_FALSE(PasswordAccepts(db_, ";pwd=", "x"));
  EXPECT_FALSE(PasswordAccepts(db_, "", "x"));
}

TEST_F(PasswordFileTest, StoredPasswordOpensAndCanBeRemoved) {
  EXPECT_TRUE(PasswordAccepts(db_, "", "x"));
  StorePassword(db_, "n3u", "x");
  EXPECT_TRUE(PasswordAccepts(db_, ";pwd=n3u", "x"));
  EXPECT_FALSE(PasswordAccepts(db_, ";pwd=n3", "x"));
  StorePassword(db_, "", "x");
  EXPECT_TRUE(PasswordAccepts(db_, "", "x"));
}

}  // namespace
}  // namespace vx::dao
