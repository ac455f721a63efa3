#include "support/pg_cluster.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <clocale>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "support/second_user.h"

namespace vx::testing {

namespace {

constexpr const char* kBinaries = "/usr/lib/postgresql/15/bin";
constexpr const char* kPort = "5432";  // each cluster has a socket folder of its own

std::string Binary(const char* name) { return std::string(kBinaries) + "/" + name; }

// The user the server runs as: the second test user under root (PostgreSQL
// refuses root), else the caller.
std::optional<SecondUser> ServerUser() {
  if (geteuid() != 0) return std::nullopt;
  std::optional<SecondUser> user = TheSecondUser();
  if (!user) throw std::runtime_error("the second test user could not be made");
  return user;
}

// A German UTF-8 locale for the cluster when the machine has one, so that
// the server's own case mapping knows the umlauts; else the C one of UTF-8.
std::string ClusterLocale() {
  locale_t german = newlocale(LC_ALL_MASK, "de_DE.UTF-8", nullptr);
  if (german == nullptr) return "C.UTF-8";
  freelocale(german);
  return "de_DE.UTF-8";
}

std::string ReadLog(const std::string& folder) {
  std::ifstream in(folder + "/log");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Forks a child that becomes `user` (when given), sends its output to the
// log in `folder` and runs `argv`.  With `follow_parent`, the child is sent
// SIGQUIT (PostgreSQL's immediate shutdown) when the test program dies.
pid_t Spawn(const std::vector<std::string>& argv, const std::optional<SecondUser>& user,
            const std::string& folder, bool follow_parent) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const std::string log = folder + "/log";
  const pid_t parent = getpid();
  pid_t pid = fork();
  if (pid != 0) return pid;
  if (user && !BecomeUser(*user)) _exit(126);
  if (follow_parent) {
    if (prctl(PR_SET_PDEATHSIG, SIGQUIT) != 0 || getppid() != parent) _exit(126);
  }
  int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (out < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(out, STDERR_FILENO) < 0) _exit(126);
  int in = open("/dev/null", O_RDONLY);
  if (in >= 0) dup2(in, STDIN_FILENO);
  execv(args[0], args.data());
  _exit(127);
}

int WaitFor(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::mutex shared_mutex;
std::unique_ptr<PgCluster> shared_cluster;
std::string shared_why_not;
bool shared_tried = false;

}  // namespace

struct PgCluster::Keeper {
  std::thread thread;
  std::mutex mutex;
  std::condition_variable wakes;
  bool done = false;
};

bool PgCluster::Available(std::string* why_not) {
  for (const char* program : {"initdb", "postgres"}) {
    if (access(Binary(program).c_str(), X_OK) != 0) {
      if (why_not != nullptr) {
        *why_not = "PostgreSQL 15 is not installed (" + Binary(program) +
                   " is missing; scripts/setup-debian.sh installs it)";
      }
      return false;
    }
  }
  return true;
}

PgCluster* PgCluster::Shared() {
  std::lock_guard<std::mutex> guard(shared_mutex);
  if (!shared_tried) {
    shared_tried = true;
    if (Available(&shared_why_not)) {
      try {
        shared_cluster = std::make_unique<PgCluster>();
      } catch (const std::exception& e) {
        shared_why_not = std::string("the test cluster did not start: ") + e.what();
      }
    }
  }
  return shared_cluster.get();
}

std::string PgCluster::WhyNot() {
  std::lock_guard<std::mutex> guard(shared_mutex);
  return shared_why_not;
}

PgCluster::PgCluster() : owner_pid_(getpid()) {
  std::string why_not;
  if (!Available(&why_not)) throw std::runtime_error(why_not);
  std::optional<SecondUser> user = ServerUser();

  // Short, for the socket path's limit of 107 bytes.
  char name[] = "/tmp/vxpg.XXXXXX";
  if (mkdtemp(name) == nullptr) throw std::runtime_error("no temporary folder for the cluster");
  folder_ = name;
  try {
    if (user && chown(folder_.c_str(), user->uid, user->own_group) != 0) {
      throw std::runtime_error("cannot give the cluster's folder to " + user->name);
    }
    const std::string data = folder_ + "/data";
    pid_t initdb = Spawn({Binary("initdb"), "-D", data, "-U", kSuperuser, "-A", "trust", "-E",
                          "UTF8", "--locale=" + ClusterLocale(), "--no-sync",
                          "--no-instructions"},
                         user, folder_, false);
    if (initdb < 0 || WaitFor(initdb) != 0) throw std::runtime_error("initdb failed");

    const std::vector<std::string> server = {
        Binary("postgres"), "-D", data, "-k", folder_, "-p", kPort, "-c", "listen_addresses=",
        "-c", "fsync=off", "-c", "synchronous_commit=off", "-c", "full_page_writes=off",
        "-c", "shared_buffers=16MB"};
    std::promise<pid_t> started;
    std::future<pid_t> pid = started.get_future();
    keeper_ = new Keeper;
    keeper_->thread = std::thread([&, keeper = keeper_, promise = std::move(started)]() mutable {
      promise.set_value(Spawn(server, user, folder_, true));
      std::unique_lock<std::mutex> lock(keeper->mutex);
      keeper->wakes.wait(lock, [keeper] { return keeper->done; });
    });
    server_pid_ = pid.get();
    if (server_pid_ < 0) throw std::runtime_error("cannot start the server");

    const std::string probe = ConnectionString("postgres", kSuperuser);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (PQping(probe.c_str()) != PQPING_OK) {
      int status = 0;
      if (waitpid(server_pid_, &status, WNOHANG) == server_pid_) {
        server_pid_ = -1;
        throw std::runtime_error("the server stopped while starting");
      }
      if (std::chrono::steady_clock::now() > deadline) {
        throw std::runtime_error("the server did not accept connections within a minute");
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    RunAsSuperuser(std::string("CREATE ROLE ") + kOwner + " LOGIN CREATEROLE", "postgres");
    RunAsSuperuser(std::string("CREATE ROLE ") + kWorker + " LOGIN", "postgres");
    RunAsSuperuser(std::string("CREATE DATABASE ") + kDatabase + " OWNER " + kOwner,
                   "postgres");
  } catch (const std::runtime_error& e) {
    std::string log = ReadLog(folder_);
    Stop();
    throw std::runtime_error(std::string(e.what()) + "\n" + log);
  }
}

PgCluster::~PgCluster() { Stop(); }

void PgCluster::Stop() {
  if (getpid() != owner_pid_) return;
  if (server_pid_ > 0) {
    kill(server_pid_, SIGQUIT);
    WaitFor(server_pid_);
    server_pid_ = -1;
  }
  if (keeper_ != nullptr) {
    {
      std::lock_guard<std::mutex> lock(keeper_->mutex);
      keeper_->done = true;
    }
    keeper_->wakes.notify_one();
    keeper_->thread.join();
    delete keeper_;
    keeper_ = nullptr;
  }
  if (!folder_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
}

std::string PgCluster::ConnectionString(const std::string& database,
                                        const std::string& user) const {
  return "host=" + folder_ + " port=" + kPort + " dbname=" + database + " user=" + user;
}

PgConnection PgCluster::Connect(const std::string& database, const std::string& user) const {
  PgConnection connection(PQconnectdb(ConnectionString(database, user).c_str()));
  if (connection == nullptr || PQstatus(connection.get()) != CONNECTION_OK) {
    throw std::runtime_error("cannot connect to the test cluster: " +
                             std::string(PQerrorMessage(connection.get())));
  }
  return connection;
}

std::string PgCluster::NewDatabase() {
  std::string name = std::string(kDatabase) + "_" + std::to_string(++databases_made_);
  RunAsSuperuser("CREATE DATABASE " + name + " OWNER " + kOwner, "postgres");
  return name;
}

void PgCluster::RunAsSuperuser(const std::string& sql, const std::string& database) const {
  PgConnection connection = Connect(database, kSuperuser);
  PGresult* result = PQexec(connection.get(), sql.c_str());
  ExecStatusType status = PQresultStatus(result);
  std::string message = PQresultErrorMessage(result);
  PQclear(result);
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    throw std::runtime_error(sql + ": " + message);
  }
}

}  // namespace vx::testing
