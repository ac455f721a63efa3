#include "cli/step_progress.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/text.h"

namespace vx::cli {
namespace {

TEST(StepProgressTest, ATerminalGetsOneLineDrawnAgainInPlaceThatNeverWraps) {
  std::ostringstream terminal;
  std::ostringstream lines;
  {
    StepProgress progress(&terminal, 30, lines, 12);
    EXPECT_TRUE(progress.on_terminal());
    progress.Begin("T:\\A.VX3EK");
    progress.Detail("Tabelle 1/2");
    progress.End("2 Tabellen");
    // A path too long for the terminal keeps its end (the file's name),
    // counted in characters.
    progress.Begin("T:\\PROJEKT\\Größenänderung\\4711__Überbau.VX3LV");
  }
  const std::string shown = terminal.str();
  EXPECT_EQ(shown,
            "\r[1/12] T:\\A.VX3EK\x1b[K"
            "\r[1/12] …\\A.VX3EK  Tabelle 1/2\x1b[K"
            "\r[2/12] …g\\4711__Überbau.VX3LV\x1b[K"
            "\r\x1b[K");
  EXPECT_EQ(Len("[2/12] …g\\4711__Überbau.VX3LV"), 29u);
  EXPECT_EQ(lines.str(), "");
}

TEST(StepProgressTest, ElsewhereEachStepIsALineWithItsResult) {
  std::ostringstream lines;
  std::ostringstream err;
  StepProgress progress = StepProgress::ForCommand(lines, err, 2);
  EXPECT_FALSE(progress.on_terminal());
  progress.Begin("T:\\A.VX3EK");
  progress.Detail("Tabelle 1/2");
  progress.End("2 Tabellen");
  progress.Begin("T:\\B.VX3BR");
  progress.End("nicht gelungen");
  progress.Clear();
  EXPECT_EQ(lines.str(), "[1/2] T:\\A.VX3EK: 2 Tabellen\n[2/2] T:\\B.VX3BR: nicht gelungen\n");
  EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace vx::cli
