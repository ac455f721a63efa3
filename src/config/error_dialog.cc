#include "config/error_dialog.h"

#include <memory>

#include "vx_taluvek/components.h"

namespace vx {

void ShowErrorMsg(const PendingError& error, const std::string& message,
                  const std::string& title, bool no_further_messages,
                  int32_t error_number) {
  PendingError shown = error;
  if (error_number != 0) shown.Set(error_number);
  try {
    auto dialog =
        std::dynamic_pointer_cast<FehlerDialog>(CreateObject(FehlerDialog::kProgramId));
    if (!dialog) return;
    if (no_further_messages) dialog->SetNoVisibleNextMsg(true);
    dialog->ErrorMsg(title, message, shown);
  } catch (const Error&) {
    // No dialog: nothing is shown.
  }
}

}  // namespace vx
