#include "cli/terminal_dialog.h"

#include <gtest/gtest.h>

#include <sstream>

#include "vx_taluvek/host.h"

namespace vx::cli {
namespace {

constexpr int32_t kErrorDialogStyle = 4096 | 16 | 2;  // abort, retry, ignore

int32_t Ask(const std::string& typed, int32_t style, bool interactive,
            std::string* shown = nullptr) {
  std::istringstream in(typed);
  std::ostringstream out;
  int32_t answer = AskMessageBox("Datei fehlt", style, "Fehler", in, out, interactive);
  if (shown) *shown = out.str();
  return answer;
}

TEST(TerminalDialogTest, WithoutATerminalTheDefaultButtonAnswers) {
  std::string shown;
  EXPECT_EQ(Ask("w\n", kErrorDialogStyle, false, &shown), kMsgAbort);
  EXPECT_EQ(shown, "Fehler: Datei fehlt\n");
  EXPECT_EQ(Ask("", 4097, false), kMsgOk);
}

TEST(TerminalDialogTest, ThePersonChooses) {
  std::string shown;
  EXPECT_EQ(Ask("w\n", kErrorDialogStyle, true, &shown), kMsgRetry);
  EXPECT_NE(shown.find("[w]iederholen"), std::string::npos);
  EXPECT_EQ(Ask("N\n", kErrorDialogStyle, true), kMsgIgnore);
  EXPECT_EQ(Ask("x\na\n", kErrorDialogStyle, true), kMsgAbort);  // asked again
  EXPECT_EQ(Ask("\n", 4 | 256, true), kMsgNo);  // the default button
  EXPECT_EQ(Ask("", 5, true), kMsgRetry);       // end of input: default
  EXPECT_EQ(Ask("", 4112, true), kMsgOk);       // nothing to choose
}

}  // namespace
}  // namespace vx::cli
