// The Linux implementation of Host (see vx_taluvek/host.h).

#ifndef VX_PLATFORM_LINUX_HOST_H_
#define VX_PLATFORM_LINUX_HOST_H_

#include <memory>

#include "vx_taluvek/host.h"

namespace vx {

class LinuxHost : public Host {
 public:
  size_t GetProfileString(const std::string& section, const std::string& key,
                          const std::string& default_value, std::string* value,
                          size_t buffer_chars, const std::string& file) override;
  bool WriteProfileString(const std::string& section, const std::string& key,
                          const std::string& value,
                          const std::string& file) override;
  std::string SettingsHome() override;
  std::string MapPath(const std::string& path) override;
  int32_t GetDriveType(const std::string& path) override;
  int64_t FileLen(const std::string& path) override;
  int32_t GetAttr(const std::string& path) override;
  std::vector<std::string> Dir(const std::string& pattern,
                               int32_t attributes) override;
  // Files: linux_host_files.cc.
  void CopyFile(const std::string& source, const std::string& target,
                const CopyOptions& options) override;
  void MoveFile(const std::string& source, const std::string& target) override;
  void RenameFile(const std::string& source,
                  const std::string& target) override;
  void DeleteFile(const std::string& path) override;
  void MoveToTrash(const std::string& path) override;
  void CreateFolders(const std::string& path) override;
  void ReportProgress(const ProgressReport& report) override;

  std::vector<std::string> Environment() override;
  std::string ExecutableName() override;
  void Sleep(int32_t milliseconds) override;
  void Beep() override;
  int32_t MsgBox(const std::string& prompt, int32_t style,
                 const std::string& title) override;
  int32_t GetMousePointer() override;
  void SetMousePointer(int32_t pointer) override;
  void DoEvents() override;
};

// The hooks installed with SetHostHooks (all empty before the first call).
// A caller may hold and use the set while another thread installs a new one.
std::shared_ptr<const HostHooks> InstalledHostHooks();

// The answer of a message box's default button for `style` (the button set
// in its low four bits, the default button in bits 8 and 9).
int32_t DefaultButtonAnswer(int32_t style);

// The DriveType of a file system, told by its statfs magic number: remote
// for network file systems, CD-ROM for ISO 9660, fixed for the others.
int32_t DriveTypeOfFileSystem(uint32_t magic);

// How long LinuxHost::GetDriveType answers for a folder as it found it
// (per thread): a file system mounted on the way shows after that.
inline constexpr int kDriveTypeKeptMs = 1000;

// The name of the drive table in the settings home, and its section.  Keys
// are drive letters with colon ("T:") or \\server\share prefixes; values are
// host folders.  Without an entry, "C:" stands for the root "/".
inline constexpr const char* kDriveTableFile = "Laufwerke.INI";
inline constexpr const char* kDriveTableSection = "Laufwerke";

}  // namespace vx

#endif  // VX_PLATFORM_LINUX_HOST_H_
