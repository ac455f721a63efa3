// The error dialog the library brings along: it shows its message through
// the host's message box and asks nothing, so no step is ever retried.

#include <memory>
#include <string>

#include "vx_taluvek/components.h"
#include "vx_taluvek/host.h"

namespace vx {

namespace {

constexpr int32_t kStopSystemModal = 4112;

class DefaultFehlerDialog : public FehlerDialog {
 public:
  void SetNoVisibleNextMsg(bool /*value*/) override {}

  int32_t EMW(const std::string& title, const std::string& message,
              const PendingError& error) override {
    Show(title, message, error);
    return 0;
  }

  void ErrorMsg(const std::string& title, const std::string& message,
                const PendingError& error) override {
    Show(title, message, error);
  }

 private:
  static void Show(const std::string& title, const std::string& message,
                   const PendingError& error) {
    std::string prompt;
    if (error.IsSet()) {
      prompt = "Fehler " + std::to_string(error.Number()) + ": " +
               error.Description();
    }
    prompt += message;
    CurrentHost().MsgBox(prompt, kStopSystemModal,
                         title.empty() ? std::string("Fehler") : title);
  }
};

const bool registered = [] {
  RegisterComponent(FehlerDialog::kProgramId,
                    [] { return std::make_shared<DefaultFehlerDialog>(); });
  return true;
}();

}  // namespace

}  // namespace vx
