// Writes the bash completion of `taluvek` (see cli/completion.h) to the
// file named by its argument; the build makes the installed script so.

#include <fstream>
#include <iostream>

#include "cli/completion.h"
#include "cli/taluvek.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "Aufruf: taluvek_completion DATEI\n";
    return 2;
  }
  vx::cli::GlobalOptions options;
  const std::string script =
      vx::cli::BashCompletion(vx::cli::MakeTaluvekCommandLine(options)->root());
  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file << script;
  file.close();
  if (!file) {
    std::cerr << "taluvek_completion: kann " << argv[1] << " nicht schreiben\n";
    return 1;
  }
  return 0;
}
