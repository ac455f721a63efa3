// Showing errors through the suite's error dialog.
//
// The dialog is a sibling component (vx_Runtime.vx_Fehler), created anew
// for each message.  ShowErrorEMW shows a message and returns the user's
// answer, suppressing a message that the user dismissed with answer 2;
// ShowErrorMsg shows the developers' own diagnostics.

#ifndef VX_CONFIG_ERROR_DIALOG_H_
#define VX_CONFIG_ERROR_DIALOG_H_

#include <cstdint>
#include <string>

#include "vx_taluvek/error.h"

namespace vx {

// Answers of the dialog that callers rely on.
inline constexpr int32_t kAnswerRetry = 4;            // retry the failed step
inline constexpr int32_t kAnswerDoNotShowAgain = 2;   // suppress this message

// Shows `message` about `error` (usually Err()) and returns the dialog's
// answer.  When `error_number` is not 0, `error` is first set to that number
// with its standard text.  A message equal to the one last answered with 2
// is not shown again: 2 comes back at once, until another message is
// answered otherwise.  Without a dialog nothing is shown and 0 comes back.
int32_t ShowErrorEMW(PendingError& error, const std::string& message,
                     const std::string& title, bool no_further_messages,
                     int32_t error_number);

// Shows a developer diagnostic: `message` about `error` (set to
// `error_number` first when that is not 0).  Without a dialog nothing is
// shown.
void ShowErrorMsg(PendingError& error, const std::string& message,
                  const std::string& title, bool no_further_messages,
                  int32_t error_number);

// The developers' halt after a diagnostic: in a developer build (IsDesign)
// the program stops in the debugger when one is attached.  A program run
// without one goes on, so that no diagnostic ends the process of a program
// that uses the library.
void StopInDebugger();

// The message last suppressed on this thread ("" when none).
const std::string& LastSuppressedMessage();

}  // namespace vx

#endif  // VX_CONFIG_ERROR_DIALOG_H_
