#include "files/ensure_from_struktur.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "config/directories.h"
#include "platform/shared_files.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/host.h"

namespace vx {

namespace {

// Copies `from` into the new file `to` and makes it durable.
bool CopyInto(const std::string& from, const std::string& to,
              const std::string& folder) {
  FileDescriptor out(CreateSharedFile(to, folder, O_WRONLY));
  if (out.get() < 0) return false;
  FileDescriptor in(open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) return false;
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = read(in.get(), buffer, sizeof buffer);
    if (n < 0) return false;
    if (n == 0) break;
    for (ssize_t done = 0; done < n;) {
      ssize_t w = write(out.get(), buffer + done, static_cast<size_t>(n - done));
      if (w < 0) return false;
      done += w;
    }
  }
  return fsync(out.get()) == 0 && out.Close();
}

bool Ensure(const std::string& target, const std::string& template_name) {
  Host& host = CurrentHost();
  const std::string target_host = host.MapPath(target);
  if (std::filesystem::exists(target_host)) return true;
  const std::string source =
      host.MapPath(GetVerzeichnis("STRUKTUREN", false, false) + template_name);
  const std::string folder =
      std::filesystem::path(target_host).parent_path().string();
  const std::string temporary = target_host + ".~KV" +
                                std::to_string(getpid());
  unlink(temporary.c_str());
  const bool copied = CopyInto(source, temporary, folder);
  // link() never replaces: a target another process made meanwhile wins.
  if (copied) link(temporary.c_str(), target_host.c_str());
  unlink(temporary.c_str());
  return std::filesystem::exists(target_host);
}

}  // namespace

int16_t EnsureFromStruktur(const std::string& target,
                           const std::string& template_name) {
  bool exists = false;
  try {
    exists = Ensure(target, template_name);
  } catch (...) {
    exists = false;
  }
  Err().Clear();
  return exists ? 1 : 0;
}

}  // namespace vx
