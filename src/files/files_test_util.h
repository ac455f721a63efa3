// What the tests of the file utilities share: a folder of the test's own,
// mapped as a drive in the installation's drive table.

#ifndef VX_FILES_FILES_TEST_UTIL_H_
#define VX_FILES_FILES_TEST_UTIL_H_

#include <filesystem>
#include <map>
#include <string>

#include "platform/linux_host.h"
#include "platform/module_state.h"
#include "platform/text.h"
#include "support/installation.h"

namespace vx::testing {

// A temporary folder reachable as drive "T:".
class MappedDrive {
 public:
  explicit MappedDrive(const Installation& inst)
      : table_(inst.File(kDriveTableFile)) {
    Map("T:", "");
  }

  // Maps `drive` ("C:") to the folder `relative` of this one, in place of
  // what it was mapped to.
  void Map(const std::string& drive, const std::string& relative) {
    drives_[drive] = HostPath(relative);
    std::string table = std::string("[") + kDriveTableSection + "]\n";
    for (const auto& [name, folder] : drives_) table += name + "=" + folder + "\n";
    WriteFile(table_, table);
  }

  // "T:\" + `relative` (which uses "\"), and its host path.
  std::string Path(const std::string& relative) const {
    return "T:\\" + relative;
  }
  std::string HostPath(const std::string& relative) const {
    return dir_.path() + "/" + Replace(relative, "\\", "/");
  }
  void MakeFile(const std::string& relative,
                const std::string& content = "data") const {
    std::filesystem::path file = HostPath(relative);
    std::filesystem::create_directories(file.parent_path());
    WriteFile(file.string(), content);
  }
  void MakeFolder(const std::string& relative) const {
    std::filesystem::create_directories(HostPath(relative));
  }

 private:
  TempDir dir_;
  std::string table_;
  std::map<std::string, std::string> drives_;
};

// Switches design mode on for the calling thread (the cached IsDesign).
inline void EnterDesignMode() {
  State().design_tested = true;
  State().design_flag = true;
}

}  // namespace vx::testing

#endif  // VX_FILES_FILES_TEST_UTIL_H_
