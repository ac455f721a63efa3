// A test on a server installation: a database of its own in the shared
// test cluster and an installation whose settings point there.

#ifndef VX_FILES_SERVER_FILES_TEST_UTIL_H_
#define VX_FILES_SERVER_FILES_TEST_UTIL_H_

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "server/file_table.h"
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

  // Two LV files on the server: kLv with two rows of its kind in TabMassen,
  // kOtherLv with one, so that a test sees one file's rows go or stay and
  // the other's untouched.
  void AddLvFiles() {
    lv_ = server::RegisterFile(server_->Superuser().get(), kLv);
    other_ = server::RegisterFile(server_->Superuser().get(), kOtherLv);
    for (int32_t vid : {lv_, lv_, other_}) {
      Run("INSERT INTO tabmassen (vid, kennvon) VALUES (" + std::to_string(vid) + ", 'LV')");
    }
  }

  static constexpr const char* kLv = "T:\\P\\4711__01.VX3LV";
  static constexpr const char* kOtherLv = "T:\\P\\4712__01.VX3LV";
  int32_t lv_ = 0, other_ = 0;

  PgCluster* cluster_ = nullptr;
  std::unique_ptr<server::TestServerDatabase> server_;
  Installation inst_;
};

}  // namespace vx::testing

#endif  // VX_FILES_SERVER_FILES_TEST_UTIL_H_
