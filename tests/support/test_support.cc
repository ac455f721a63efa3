#include "support/test_support.h"

#include <sys/stat.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vx::testing {

TempDir::TempDir() {
  std::string templ =
      (std::filesystem::temp_directory_path() / "vx_test_XXXXXX").string();
  if (mkdtemp(templ.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  path_ = templ;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

ScopedUmask::ScopedUmask(unsigned mask)
    : old_(umask(static_cast<mode_t>(mask))) {}

ScopedUmask::~ScopedUmask() { umask(static_cast<mode_t>(old_)); }

std::string TempDir::File(const std::string& name) const {
  return path_ + "/" + name;
}

ScopedEnv::ScopedEnv(std::string name, std::optional<std::string> value)
    : name_(std::move(name)) {
  if (const char* old = std::getenv(name_.c_str())) old_ = old;
  if (value) {
    setenv(name_.c_str(), value->c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
}

ScopedEnv::~ScopedEnv() {
  if (old_) {
    setenv(name_.c_str(), old_->c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
}

ScopedLocale::ScopedLocale(const char* name) {
  const char* old = std::setlocale(LC_ALL, nullptr);
  old_ = old ? old : "C";
  ok_ = std::setlocale(LC_ALL, name) != nullptr;
}

ScopedLocale::~ScopedLocale() { std::setlocale(LC_ALL, old_.c_str()); }

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace vx::testing
