// Writes what the build makes from the parser of `taluvek`: the bash
// completion (cli/completion.h) to the file named first, and the sections
// of the manual page (cli/manual_sections.h) to the file named second.

#include <fstream>
#include <iostream>
#include <string>

#include "cli/completion.h"
#include "cli/manual_sections.h"
#include "cli/taluvek.h"

namespace {

bool Write(const char* path, const std::string& content) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << content;
  file.close();
  if (!file) std::cerr << "taluvek_documents: kann " << path << " nicht schreiben\n";
  return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "Aufruf: taluvek_documents VERVOLLSTAENDIGUNG HELP2MAN-TEIL\n";
    return 2;
  }
  vx::cli::GlobalOptions options;
  const auto line = vx::cli::MakeTaluvekCommandLine(options);
  const bool written =
      Write(argv[1], vx::cli::BashCompletion(line->root())) &&
      Write(argv[2], vx::cli::ManualSections(line->root()));
  return written ? 0 : 1;
}
