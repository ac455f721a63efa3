// The server access component the library brings along.  It reports the
// database kind that the installation's settings file names in section
// "Server", key "DatenbankArt" (0 when missing): 0 or 1 for data in files,
// 2 or more for data on a database server.  Documents move between local
// files and byte fields piece by piece, never whole in memory.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <memory>
#include <string>

#include "engine/recordset.h"
#include "platform/shared_files.h"
#include "vx_taluvek/components.h"
#include "vx_taluvek/host.h"
#include "vx_taluvek/settings.h"
#include "vx_taluvek/variant.h"

namespace vx {

namespace {

// Run-time errors for files: "File not found", "Disk full", "Path/File
// access error".
constexpr int32_t kErrDiskFull = 61;
constexpr int32_t kErrPathFileAccess = 75;

[[noreturn]] void RaiseFileError(const std::string& path) {
  if (errno == ENOENT) Raise(kErrFileNotFound, StandardDescription(kErrFileNotFound) + ": " + path);
  if (errno == ENOSPC) Raise(kErrDiskFull);
  Raise(kErrPathFileAccess, StandardDescription(kErrPathFileAccess) + ": " + path);
}

class DefaultServerAccess : public ServerAccess {
 public:
  int32_t DatenbankArt() override {
    std::string value;
    CurrentHost().GetProfileString("Server", "DatenbankArt", "0", &value, 64,
                                   SettingsFileName());
    return CLng(Val(value));
  }

  // Written beside the destination under a passing name and renamed over
  // it at the end, so that a failure leaves the destination as it was.
  int32_t FeldInDatei(const std::string& destination, dao::Recordset& recordset,
                      const std::string& field_name) override {
    const std::string target = CurrentHost().MapPath(destination);
    static std::atomic<uint32_t> counter{0};
    const std::string passing = target + ".~vx" + std::to_string(getpid()) + "_" +
                                std::to_string(counter.fetch_add(1));
    FileDescriptor file(CreateSharedFile(passing, FolderOf(target), O_WRONLY));
    if (file.get() < 0) RaiseFileError(destination);
    bool present = false;
    try {
      present = recordset.StreamField(field_name, [&](std::string_view piece) {
        while (!piece.empty()) {
          const ssize_t written = write(file.get(), piece.data(), piece.size());
          if (written < 0 && errno == EINTR) continue;
          if (written <= 0) RaiseFileError(destination);
          piece.remove_prefix(static_cast<size_t>(written));
        }
      });
      if (present && !file.Close()) RaiseFileError(destination);
      if (present && rename(passing.c_str(), target.c_str()) != 0) {
        RaiseFileError(destination);
      }
    } catch (...) {
      unlink(passing.c_str());
      throw;
    }
    if (!present) unlink(passing.c_str());
    return present ? 1 : 0;
  }

  void DateiInFeld(const std::string& path, dao::Recordset& recordset,
                   const std::string& field_name) override {
    const std::string source = CurrentHost().MapPath(path);
    FileDescriptor file(open(source.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (file.get() < 0 || fstat(file.get(), &info) != 0) RaiseFileError(path);
    recordset.LoadField(field_name, info.st_size, [&](char* buffer, size_t wanted) {
      for (;;) {
        const ssize_t got = read(file.get(), buffer, wanted);
        if (got >= 0) return static_cast<size_t>(got);
        if (errno != EINTR) RaiseFileError(path);
      }
    });
  }
};

const bool registered = [] {
  RegisterComponent(ServerAccess::kProgramId,
                    [] { return std::make_shared<DefaultServerAccess>(); });
  return true;
}();

}  // namespace

}  // namespace vx
