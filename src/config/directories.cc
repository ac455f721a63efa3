#include "config/directories.h"

#include "config/settings_file.h"
#include "data/server_access.h"
#include "platform/module_state.h"
#include "platform/text.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/host.h"

namespace vx {

namespace {

constexpr size_t kDirectoryBufferChars = 255;
constexpr int kUserDirectoryProbes = 7;

enum NetworkState : int16_t { kUndecided = 0, kNetwork = 1, kLocal = 2 };

// The part of `directory` whose drive type tells whether it lies on the
// network: its drive ("C:", or the "\\" of a network path) as the suite
// asks, or, for a folder given as a host path, the folder itself, whose
// first two characters name no drive.
std::string DriveOf(const std::string& directory) {
  std::string drive = Left(directory, 2);
  bool has_drive = drive.size() == 2 && drive[1] == ':';
  bool network_path = drive == "\\\\";
  bool host_path = drive.starts_with("/") || drive.starts_with("\\");
  if (!has_drive && !network_path && host_path) return directory;
  return drive;
}

void DecideNetwork(const std::string& directory, const std::string& key) {
  if (key == "PROGRAMM") return;
  ModuleState& s = State();
  int32_t kind = 0;
  ResumeNext([&] { kind = ThreadServerAccess().DatenbankArt(); });
  if (kind > 1) s.network_state = kNetwork;
  if (s.network_state != kNetwork &&
      (key == "PROJEKT" || key == "LV" || key == "LIZENZ" || key.empty() ||
       s.network_state == kUndecided)) {
    s.network_state = kLocal;
    std::string drive = Left(directory, 2);
    int32_t type = kDriveUnknown;
    ResumeNext([&] { type = CurrentHost().GetDriveType(DriveOf(directory)); });
    if (type == kDriveRemote || drive == "\\\\") {
      s.network_state = kNetwork;
    } else {
      Variant netz;
      ResumeNext([&] { netz = Tarvano_Eintrag("SYS", "Netz", ""); });
      std::string text;
      ResumeNext([&] { text = CStr(netz); });
      if (!text.empty()) s.network_state = kNetwork;
    }
  }
  s.bNetzInstallation = s.network_state == kNetwork;
}

}  // namespace

std::string GetVerzeichnis(const std::string& key, bool no_message,
                           bool subdirectory) {
  std::string trimmed = Trim(key);
  const std::string file = SettingsFileName();
  // A program key that is no file name names no file to look in.
  std::string value = kEntryNotFound;
  if (IsSettingsFileName(file)) {
    CurrentHost().GetProfileString(kDirectorySection, trimmed, kEntryNotFound,
                                   &value, kDirectoryBufferChars, file);
  }
  if (value == kEntryNotFound) {
    if (!no_message) {
      CurrentHost().MsgBox("Eintrag '" + trimmed + "'=.. oder Gruppe [" +
                               kDirectorySection + "] oder Datei '" + file +
                               "' Nicht gefunden !",
                           kStopSystemModal, "INSTALLATIONS-FEHLER");
    }
    return "";
  }
  std::string directory = value;
  std::string last = Right(directory, 1);
  if (last != ":" && last != "\\") directory += "\\";
  std::string result = subdirectory ? directory + DotNetSubDir() : directory;
  DecideNetwork(directory, UCase(key));
  return result;
}

std::string GetUserVerzeichnis(bool reset) {
  ModuleState& s = State();
  if (reset) s.user_directory.clear();
  if (!s.user_directory.empty()) return s.user_directory;
  s.user_directory = GetVerzeichnis("LIZENZ", false, false);

  std::string alternative;
  ResumeNext([&] {
    alternative =
        CStr(Tarvano_Eintrag(kDirectorySection, "LIZENZ_A", std::string()));
  });
  if (alternative.empty()) return s.user_directory;
  std::string last = Right(alternative, 1);
  if (last != "\\" && last != ":") alternative += "\\";

  // A share that answers slowly may fail a probe or two.
  Host& host = CurrentHost();
  int32_t attributes = 0;
  for (int i = 0; i < kUserDirectoryProbes; ++i) {
    if (ResumeNext([&] { attributes = host.GetAttr(alternative); })) break;
    Err().Clear();
    host.DoEvents();
    host.Sleep(1);
    host.DoEvents();
  }
  if (attributes & kAttrDirectory) s.user_directory = alternative;
  return s.user_directory;
}

std::string GetWindowsVerzeichnis() {
  std::string home = Left(CurrentHost().SettingsHome(), kDirectoryBufferChars - 1);
  return Replace(home, "/", "\\") + "\\";
}

std::string DotNetSubDir() { return "DotNet\\"; }

}  // namespace vx
