// A server database of its own for each test: a fresh database in the
// shared test cluster with the server schema applied, and connections to it
// as the set-up role, as the superuser (who sees past row-level security)
// and as a plain working role.

#ifndef VX_SERVER_SERVER_TEST_UTIL_H_
#define VX_SERVER_SERVER_TEST_UTIL_H_

#include <stdexcept>
#include <string>

#include "server/pg_statement.h"
#include "server/server_schema.h"
#include "support/pg_cluster.h"
#include "support/test_support.h"

namespace vx::server {

struct TestServerDatabase {
  explicit TestServerDatabase(testing::PgCluster* the_cluster)
      : cluster(the_cluster), name(the_cluster->NewDatabase()) {
    ApplySchema(cluster->Connect(name).get());
    GrantWork(cluster->Connect(name).get(), testing::PgCluster::kWorker);
  }

  // The working role's connection string; bound to file `vid` when not 0.
  std::string WorkerString(int vid = 0) const {
    std::string text = cluster->ConnectionString(name, testing::PgCluster::kWorker);
    if (vid != 0) text += " options='-c vx.vid=" + std::to_string(vid) + "'";
    return text;
  }
  testing::PgConnection Worker(int vid = 0) const {
    testing::PgConnection connection(PQconnectdb(WorkerString(vid).c_str()));
    if (PQstatus(connection.get()) != CONNECTION_OK) {
      throw std::runtime_error(PQerrorMessage(connection.get()));
    }
    return connection;
  }
  testing::PgConnection Owner() const { return cluster->Connect(name); }
  testing::PgConnection Superuser() const {
    return cluster->Connect(name, testing::PgCluster::kSuperuser);
  }

  testing::PgCluster* cluster;
  std::string name;
};

}  // namespace vx::server

#endif  // VX_SERVER_SERVER_TEST_UTIL_H_
