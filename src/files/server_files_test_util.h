// A test on a server installation: a database of its own in the shared
// test cluster and an installation whose settings point there.

#ifndef VX_FILES_SERVER_FILES_TEST_UTIL_H_
#define VX_FILES_SERVER_FILES_TEST_UTIL_H_

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "server/server_test_util.h"
#include "support/installation.h"

namespace vx::testing {

class ServerInstallationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cluster_ = PgCluster::Shared();
    if (cluster_ == nullptr) GTEST_SKIP() << PgCluster::WhyNot();
    server_ = std::make_unique<server::TestServerDatabase>(cluster_);
    inst_.WriteSettings("[Server]\nDatenbankArt=2\nVerbindung=" + server_->WorkerString() +
                        "\n");
  }

  // Runs `sql` as the superuser, who sees every file's rows.
  void Run(const std::string& sql) { server::RunStatement(server_->Superuser().get(), sql); }
  std::string Query(const std::string& sql) {
    return server::RunForValue(server_->Superuser().get(), sql);
  }

  PgCluster* cluster_ = nullptr;
  std::unique_ptr<server::TestServerDatabase> server_;
  Installation inst_;
};

}  // namespace vx::testing

#endif  // VX_FILES_SERVER_FILES_TEST_UTIL_H_
