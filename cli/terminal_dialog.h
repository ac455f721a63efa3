// Message boxes of the `taluvek` command: on a terminal the person is
// asked; otherwise the message goes to standard error and the box's
// default button answers (for the error dialog: cancel).

#ifndef VX_CLI_TERMINAL_DIALOG_H_
#define VX_CLI_TERMINAL_DIALOG_H_

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>

namespace vx::cli {

// Shows the box on `out` and, when `interactive`, reads the answer from
// `in` (an empty line or the end of input chooses the default button).
// Returns one of vx::MsgBoxResult.
int32_t AskMessageBox(const std::string& prompt, int32_t style,
                      const std::string& title, std::istream& in,
                      std::ostream& out, bool interactive);

// Installs AskMessageBox on standard input and standard error as the
// host's message-box hook; interactive when both are terminals.
void InstallTerminalDialog();

}  // namespace vx::cli

#endif  // VX_CLI_TERMINAL_DIALOG_H_
