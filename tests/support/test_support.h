// Helpers shared by the tests.

#ifndef VX_TESTS_SUPPORT_TEST_SUPPORT_H_
#define VX_TESTS_SUPPORT_TEST_SUPPORT_H_

#include <cstdint>
#include <optional>
#include <string>

#include "vx_taluvek/error.h"

namespace vx::testing {

// A fresh folder under the system's temporary folder, removed with all its
// contents at destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Host path without a trailing "/".
  const std::string& path() const { return path_; }
  // path() + "/" + name.
  std::string File(const std::string& name) const;

 private:
  std::string path_;
};

// Sets (or, with nullopt, unsets) an environment variable for the life of
// the object and restores it afterwards.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, std::optional<std::string> value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// Switches the process's locale (all categories) for the life of the
// object.  ok() is false when the locale is not installed.
class ScopedLocale {
 public:
  explicit ScopedLocale(const char* name);
  ~ScopedLocale();
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;
  bool ok() const { return ok_; }

 private:
  std::string old_;
  bool ok_;
};

// Sets the process umask for the life of the object.
class ScopedUmask {
 public:
  explicit ScopedUmask(unsigned mask);
  ~ScopedUmask();
  ScopedUmask(const ScopedUmask&) = delete;
  ScopedUmask& operator=(const ScopedUmask&) = delete;

 private:
  unsigned old_;
};

// The number of the error that `step` raises, 0 when it raises none.
template <typename Step>
int32_t RaisedNumber(Step step) {
  try {
    step();
  } catch (const Error& e) {
    return e.number();
  }
  return 0;
}

// Writes `content` into the host file `path`, replacing it.
void WriteFile(const std::string& path, const std::string& content);
// The content of the host file `path` ("" when missing).
std::string ReadFile(const std::string& path);

}  // namespace vx::testing

#endif  // VX_TESTS_SUPPORT_TEST_SUPPORT_H_
