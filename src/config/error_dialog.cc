#include "config/error_dialog.h"

#include <csignal>
#include <fstream>
#include <memory>

#include "data/connections.h"
#include "vx_taluvek/components.h"

namespace vx {

namespace {

std::string& SuppressedMessage() {
  thread_local std::string message;
  return message;
}

// A new dialog, or nullptr when none can be created.
std::shared_ptr<FehlerDialog> CreateDialog(bool no_further_messages) {
  std::shared_ptr<FehlerDialog> dialog;
  try {
    dialog = std::dynamic_pointer_cast<FehlerDialog>(
        CreateObject(FehlerDialog::kProgramId));
    if (dialog && no_further_messages) dialog->SetNoVisibleNextMsg(true);
  } catch (const Error&) {
    dialog = nullptr;
  }
  return dialog;
}

}  // namespace

void StopInDebugger() {
  if (!IsDesign()) return;
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("TracerPid:")) {
      if (std::stol(line.substr(10)) != 0) std::raise(SIGTRAP);
      return;
    }
  }
}

int32_t ShowErrorEMW(PendingError& error, const std::string& message,
                     const std::string& title, bool no_further_messages,
                     int32_t error_number) {
  std::string& suppressed = SuppressedMessage();
  if (!suppressed.empty() && message == suppressed) {
    return kAnswerDoNotShowAgain;
  }
  if (error_number != 0) error.Set(error_number);
  auto dialog = CreateDialog(no_further_messages);
  if (!dialog) return 0;
  int32_t answer = 0;
  try {
    answer = dialog->EMW(title, message, error);
  } catch (const Error&) {
    return 0;
  }
  if (answer == kAnswerDoNotShowAgain) {
    suppressed = message;
  } else {
    suppressed.clear();
  }
  if (answer == kAnswerRetry) StopInDebugger();
  return answer;
}

void ShowErrorMsg(PendingError& error, const std::string& message,
                  const std::string& title, bool no_further_messages,
                  int32_t error_number) {
  if (error_number != 0) error.Set(error_number);
  auto dialog = CreateDialog(no_further_messages);
  if (!dialog) return;
  try {
    dialog->ErrorMsg(title, message, error);
  } catch (const Error&) {
    return;
  }
  StopInDebugger();
}

const std::string& LastSuppressedMessage() { return SuppressedMessage(); }

}  // namespace vx
