#include "config/settings_file.h"

#include <memory>

#include "config/error_dialog.h"
#include "platform/module_state.h"
#include "platform/text.h"
#include "platform/invariant_text.h"
#include "translate/trt.h"
#include "vx_taluvek/components.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/host.h"

namespace vx {

namespace {

constexpr size_t kEntryBufferChars = 2000;

// Shows a failure of Tarvano_Eintrag through the error dialog; true when
// the user asks for a retry.
bool AskRetry(const PendingError& error) {
  try {
    auto dialog = std::dynamic_pointer_cast<FehlerDialog>(
        CreateObject(FehlerDialog::kProgramId));
    if (!dialog) return false;
    return dialog->EMW("", "\n" + TRT("beim Tarvano_Eintrag"), error) ==
           kAnswerRetry;
  } catch (const Error&) {
    return false;
  }
}

// The settings file's name; raises 52 when the program key is no file name
// in the settings home.
std::string UsableSettingsFileName() {
  std::string name = SettingsFileName();
  if (!IsSettingsFileName(name)) {
    Raise(52, StandardDescription(52) + " '" + name + "'");
  }
  return name;
}

// Whether the settings file `name` exists in the settings home.
bool SettingsFileExists(const std::string& name) {
  Host& host = CurrentHost();
  int32_t attributes = 0;
  try {
    attributes = host.GetAttr(host.SettingsHome() + "/" + name);
  } catch (const Error&) {
    return false;
  }
  return (attributes & kAttrDirectory) == 0;
}

}  // namespace

std::string SettingsFileName() {
  const std::string& key = State().sProgKey;
  return key.empty() ? std::string("Tarvano.INI") : key;
}

bool IsSettingsFileName(const std::string& name) {
  if (name.empty() || name.find("..") != std::string::npos) return false;
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == ':') {
      return false;
    }
  }
  return true;
}

Variant Tarvano_Eintrag(const std::string& section, const std::string& key,
                        const Variant& default_value) {
  for (;;) {
    try {
      const std::string file = UsableSettingsFileName();
      std::string value;
      size_t n = CurrentHost().GetProfileString(section, key, kEntryNotFound,
                                                &value, kEntryBufferChars,
                                                file);
      if (n == 0 || value == kEntryNotFound) {
        if (CStr(default_value).empty()) return Variant(std::string());
        if (SettingsFileExists(file)) {
          Tarvano_EintragSchreiben(section, key, default_value);
        }
        return default_value;
      }
      if (default_value.IsString()) return Variant(std::move(value));
      return Variant(Val(value));
    } catch (const Error& e) {
      Err().Set(e);
      if (!AskRetry(Err())) return Variant();
    }
  }
}

int16_t Tarvano_EintragSchreiben(const std::string& section,
                                 const std::string& key, const Variant& value) {
  std::string text = value.IsString() ? *value.get_if<std::string>()
                                      : Trim(Str(value));
  return CurrentHost().WriteProfileString(section, key, text,
                                          UsableSettingsFileName())
             ? 1
             : 0;
}

}  // namespace vx
