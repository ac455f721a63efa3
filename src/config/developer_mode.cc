#include "config/developer_mode.h"

#include "config/directories.h"
#include "config/settings_file.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/host.h"

namespace vx {

namespace {

struct DeveloperMode {
  bool tested = false;
  bool on = false;
};

}  // namespace

bool bIstEntwicklung() {
  thread_local DeveloperMode mode;
  if (!mode.tested) {
    std::string marker = GetWindowsVerzeichnis() + kDeveloperMarkerFile;
    mode.on = ResumeNext([&] { CurrentHost().GetAttr(marker); });
    mode.tested = true;
  }
  Err().Clear();
  return mode.on;
}

bool AksEntwicklung() {
  return CStr(Tarvano_Eintrag("Intern", "Aks4Setting", Variant(""))) == "ENTWICKLUNG";
}

void ShowAksEntwicklung(const std::string& text) {
  if (!AksEntwicklung()) return;
  Host& host = CurrentHost();
  host.MsgBox(host.ExecutableName() + "\nbIstEntwicklung \n" + text, kSystemModal,
              "bIstEntwicklung");
}

}  // namespace vx
