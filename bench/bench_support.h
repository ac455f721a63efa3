// What the benchmark programs share: a temporary settings home, tables
// filled directly through SQLite, and reading a row the plain way.

#ifndef VX_BENCH_BENCH_SUPPORT_H_
#define VX_BENCH_BENCH_SUPPORT_H_

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace vx::bench {

// A new folder under /tmp, made the settings home (TARVANO_HOME).
inline std::string MakeSettingsHome() {
  char templ[] = "/tmp/vx_bench_XXXXXX";
  std::string home = mkdtemp(templ);
  setenv("TARVANO_HOME", home.c_str(), 1);
  return home;
}

// When the settings files written so far have settled (see below).
inline std::chrono::steady_clock::time_point& SettingsSettle() {
  static std::chrono::steady_clock::time_point settle;
  return settle;
}

// Writes the settings file `path` with `content`.  An installation's
// settings file was written long before a program reads it; the library
// reads a file written within the last seconds anew at every lookup (its
// times cannot yet tell a second change from the first), so a fixture that
// writes one calls AwaitSettledSettings() before the benchmarks run.
inline void WriteSettingsFile(const std::string& path,
                              const std::string& content) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
  SettingsSettle() = std::chrono::steady_clock::now() + std::chrono::seconds(3);
}

// Waits until the settings files written have settled.
inline void AwaitSettledSettings() {
  std::this_thread::sleep_until(SettingsSettle());
}

// Runs `insert` (an INSERT whose first two parameters are the project's
// number and name) for projects P1 ... P`rows` on the database `path`, in
// one transaction.  The values are given as the engine stores them
// (booleans -1/0, dates as text).
inline void FillProjects(const std::string& path, const char* insert,
                         int rows) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, insert, -1, &stmt, nullptr);
  for (int i = 1; i <= rows; ++i) {
    const std::string number = "P" + std::to_string(i);
    const std::string name = "Neubau " + std::to_string(i);
    sqlite3_bind_text(stmt, 1, number.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(stmt, 2, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(stmt);
    sqlite3_reset(stmt);
  }
  sqlite3_finalize(stmt);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
}

// Reads every column of the current row of `stmt`, as a caller of the
// SQLite C API that wants all of them would.
inline void ReadEveryColumn(sqlite3_stmt* stmt) {
  for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
    switch (sqlite3_column_type(stmt, i)) {
      case SQLITE_INTEGER:
        benchmark::DoNotOptimize(sqlite3_column_int64(stmt, i));
        break;
      case SQLITE_FLOAT:
        benchmark::DoNotOptimize(sqlite3_column_double(stmt, i));
        break;
      case SQLITE_NULL:
        break;
      default:
        benchmark::DoNotOptimize(std::string(
            reinterpret_cast<const char*>(sqlite3_column_text(stmt, i))));
    }
  }
}

}  // namespace vx::bench

#endif  // VX_BENCH_BENCH_SUPPORT_H_
