// A throwaway PostgreSQL 15 cluster for the tests of server mode.
//
// The cluster lives in a fresh temporary folder: initdb'd there, listening
// only on a Unix socket in that folder (no TCP), with fsync off, and run as
// the second test user when the tests run as root (PostgreSQL refuses to run
// as root).  It is stopped at once (immediate shutdown) and its folder
// removed when the object is destroyed; should the test program die first,
// the server follows it (parent-death signal).  The server is started from
// a thread of the cluster's own that lives as long as the cluster, since
// that signal follows the thread that forked, and tests run code on
// short-lived threads.
//
// Starting takes about a second, so a test program shares one cluster:
// `PgCluster::Shared()` starts it on first use and stops it at exit.
//
// Roles of every cluster:
//   kSuperuser  "postgres": the cluster's superuser (bypasses row-level
//               security; for set-up and for looking behind the scenes).
//   kOwner      "vxtest": owns the database kDatabase, may create roles, no
//               superuser: what an office's administrator gives the suite
//               to set a database up.  ConnectionString()'s default.
//   kWorker     "vxarbeit": a plain login role without any privilege of its
//               own, for tests of what an ordinary connection can and cannot
//               do (grant it what the test needs).
// Authentication is "trust": nobody but the test user reaches the socket.

#ifndef VX_TESTS_SUPPORT_PG_CLUSTER_H_
#define VX_TESTS_SUPPORT_PG_CLUSTER_H_

#include <libpq-fe.h>
#include <sys/types.h>

#include <memory>
#include <string>

namespace vx::testing {

struct PgConnectionCloser {
  void operator()(PGconn* connection) const { PQfinish(connection); }
};
// An owning libpq connection.
using PgConnection = std::unique_ptr<PGconn, PgConnectionCloser>;

class PgCluster {
 public:
  static constexpr const char* kSuperuser = "postgres";
  static constexpr const char* kOwner = "vxtest";
  static constexpr const char* kWorker = "vxarbeit";
  static constexpr const char* kDatabase = "vx";

  // Whether the PostgreSQL 15 server programs are installed; when not,
  // `why_not` says what is missing.
  static bool Available(std::string* why_not);

  // The cluster of this test program, started on first use; nullptr when
  // it cannot run (WhyNot() says why).  Stopped when the program exits.
  static PgCluster* Shared();
  static std::string WhyNot();

  // Starts a cluster of its own; throws std::runtime_error (with the
  // server's log) when it does not come up.
  PgCluster();
  ~PgCluster();
  PgCluster(const PgCluster&) = delete;
  PgCluster& operator=(const PgCluster&) = delete;

  // A libpq connection string without password:
  // "host=<socket folder> port=5432 dbname=<database> user=<user>".
  std::string ConnectionString(const std::string& database = kDatabase,
                               const std::string& user = kOwner) const;

  // Connects with ConnectionString(database, user); throws
  // std::runtime_error with libpq's message when that fails.
  PgConnection Connect(const std::string& database = kDatabase,
                       const std::string& user = kOwner) const;

  // Creates an empty database owned by kOwner under a name not used before
  // in this cluster and returns the name: for tests that need a database
  // of their own.
  std::string NewDatabase();

  // Runs `sql` as the superuser in `database`; throws std::runtime_error
  // with the server's message when it fails.
  void RunAsSuperuser(const std::string& sql,
                      const std::string& database = kDatabase) const;

  // The folder that holds the data, the socket and the log.
  const std::string& folder() const { return folder_; }
  // The process id of the server (the postmaster).
  pid_t server_pid() const { return server_pid_; }

 private:
  void Stop();

  std::string folder_;
  // The thread that is the server's parent; ends after the server.  A
  // forked child of the test leaves it alone (it is not there, and its
  // locks are in whatever state the fork caught them).
  struct Keeper;
  Keeper* keeper_ = nullptr;
  pid_t server_pid_ = -1;
  pid_t owner_pid_ = -1;  // forked children must not stop the server
  int databases_made_ = 0;
};

}  // namespace vx::testing

// In a test body: binds `var` to the shared cluster, or skips the test with
// the reason when PostgreSQL is not there.
#define VX_PG_CLUSTER_OR_SKIP(var)                                        \
  ::vx::testing::PgCluster* var = ::vx::testing::PgCluster::Shared();     \
  if (var == nullptr) GTEST_SKIP() << ::vx::testing::PgCluster::WhyNot()

#endif  // VX_TESTS_SUPPORT_PG_CLUSTER_H_
