// taluvek: the library's main job from the shell (see cli/taluvek.h).

#include <signal.h>

#include <clocale>
#include <iostream>
#include <string>
#include <vector>

#include "cli/taluvek.h"
#include "cli/terminal_dialog.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  // A write past the file size limit (ulimit -f) then fails with EFBIG and
  // is reported as a full disk, with the transaction rolled back, instead of
  // the signal ending the process in the middle of its work.
  signal(SIGXFSZ, SIG_IGN);
  vx::cli::InstallTerminalDialog();
  std::vector<std::string> args(argv + 1, argv + argc);
  return vx::cli::RunTaluvek(args, std::cout, std::cerr);
}
