#include "support/pg_cluster.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

namespace vx::testing {
namespace {

std::string One(PGconn* connection, const char* sql) {
  PGresult* result = PQexec(connection, sql);
  std::string value = PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) == 1
                          ? PQgetvalue(result, 0, 0)
                          : std::string("error: ") + PQresultErrorMessage(result);
  PQclear(result);
  return value;
}

TEST(PgClusterTest, SharedClusterServesTheOwnerAndTheWorkerOverItsSocketOnly) {
  VX_PG_CLUSTER_OR_SKIP(cluster);
  PgConnection owner = cluster->Connect();
  EXPECT_EQ(One(owner.get(), "SELECT current_user"), PgCluster::kOwner);
  EXPECT_EQ(One(owner.get(), "SHOW is_superuser"), "off");
  EXPECT_EQ(One(owner.get(), "SHOW listen_addresses"), "");
  EXPECT_EQ(One(owner.get(), "SELECT current_setting('server_version_num')::int / 10000"), "15");
  PgConnection worker = cluster->Connect(PgCluster::kDatabase, PgCluster::kWorker);
  EXPECT_EQ(One(worker.get(), "SELECT current_user"), PgCluster::kWorker);
  EXPECT_EQ(cluster->ConnectionString().find("password"), std::string::npos);

  std::string database = cluster->NewDatabase();
  EXPECT_NE(database, PgCluster::kDatabase);
  PgConnection fresh = cluster->Connect(database);
  EXPECT_EQ(One(fresh.get(), "SELECT current_database()"), database);
}

TEST(PgClusterTest, AForkedChildThatExitsLeavesTheSharedClusterRunning) {
  VX_PG_CLUSTER_OR_SKIP(cluster);
  pid_t child = fork();
  if (child == 0) std::exit(0);  // runs the static destructors in the child
  ASSERT_GT(child, 0);
  waitpid(child, nullptr, 0);
  EXPECT_EQ(PQping(cluster->ConnectionString().c_str()), PQPING_OK);
}

TEST(PgClusterTest, AClusterStartedOnAThreadThatEndedKeepsRunning) {
  std::string why_not;
  if (!PgCluster::Available(&why_not)) GTEST_SKIP() << why_not;
  std::unique_ptr<PgCluster> cluster;
  std::thread([&] { cluster = std::make_unique<PgCluster>(); }).join();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(PQping(cluster->ConnectionString().c_str()), PQPING_OK);
}

TEST(PgClusterTest, AClusterIsStoppedAndRemovedWhenDestroyed) {
  std::string why_not;
  if (!PgCluster::Available(&why_not)) GTEST_SKIP() << why_not;
  std::string folder, connection_string;
  pid_t server = -1;
  {
    PgCluster cluster;
    folder = cluster.folder();
    server = cluster.server_pid();
    connection_string = cluster.ConnectionString();
    ASSERT_TRUE(std::filesystem::exists(folder + "/data/PG_VERSION"));
    EXPECT_EQ(One(cluster.Connect().get(), "SELECT 1"), "1");
  }
  EXPECT_FALSE(std::filesystem::exists(folder));
  EXPECT_EQ(kill(server, 0), -1);
  EXPECT_EQ(errno, ESRCH);
  EXPECT_NE(PQping(connection_string.c_str()), PQPING_OK);
}

}  // namespace
}  // namespace vx::testing
