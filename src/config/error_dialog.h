// Showing errors through the suite's error dialog.

#ifndef VX_CONFIG_ERROR_DIALOG_H_
#define VX_CONFIG_ERROR_DIALOG_H_

#include <cstdint>
#include <string>

#include "vx_taluvek/error.h"

namespace vx {

// Shows a developer diagnostic: `message` about `error` (or, when
// `error_number` is not 0, about that number) through the error dialog.
// Errors of its own are ignored: without a dialog nothing is shown.
void ShowErrorMsg(const PendingError& error, const std::string& message,
                  const std::string& title, bool no_further_messages,
                  int32_t error_number);

}  // namespace vx

#endif  // VX_CONFIG_ERROR_DIALOG_H_
