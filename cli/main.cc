// taluvek: the library's main job from the shell (see cli/taluvek.h).

#include <clocale>
#include <iostream>
#include <string>
#include <vector>

#include "cli/taluvek.h"
#include "cli/terminal_dialog.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  vx::cli::InstallTerminalDialog();
  std::vector<std::string> args(argv + 1, argv + argc);
  return vx::cli::RunTaluvek(args, std::cout, std::cerr);
}
