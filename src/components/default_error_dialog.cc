// The error dialog the library brings along.  It shows its message through
// the host's message box: a question with the choices abort (the default),
// retry and ignore, whose answers it passes on as the suite's dialog
// answers: retry asks for the failed step again (4), ignore not to show
// this message again (2), abort goes on (3).

#include <memory>
#include <string>

#include "vx_taluvek/components.h"
#include "vx_taluvek/host.h"

namespace vx {

namespace {

constexpr int32_t kAbortRetryIgnore = 2;
constexpr int32_t kAnswerDoNotShowAgain = 2;

class DefaultFehlerDialog : public FehlerDialog {
 public:
  void SetNoVisibleNextMsg(bool /*value*/) override {}

  int32_t EMW(const std::string& title, const std::string& message,
              const PendingError& error) override {
    int32_t answer =
        CurrentHost().MsgBox(Prompt(message, error),
                             kSystemModal | kStopIcon | kAbortRetryIgnore,
                             Title(title));
    return answer == kMsgIgnore ? kAnswerDoNotShowAgain : answer;
  }

  void ErrorMsg(const std::string& title, const std::string& message,
                const PendingError& error) override {
    CurrentHost().MsgBox(Prompt(message, error), kSystemModal | kStopIcon,
                         Title(title));
  }

 private:
  static std::string Prompt(const std::string& message,
                            const PendingError& error) {
    std::string prompt;
    if (error.IsSet()) {
      prompt = "Fehler " + std::to_string(error.Number()) + ": " +
               error.Description();
    }
    return prompt + message;
  }

  static std::string Title(const std::string& title) {
    return title.empty() ? std::string("Fehler") : title;
  }
};

const bool registered = [] {
  RegisterComponent(FehlerDialog::kProgramId,
                    [] { return std::make_shared<DefaultFehlerDialog>(); });
  return true;
}();

}  // namespace

}  // namespace vx
