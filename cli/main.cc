// taluvek: the library's main job from the shell.

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/demo.h"
#include "cli/terminal_dialog.h"

namespace {

constexpr int kExitUsage = 2;

void PrintUsage(FILE* out) {
  std::fputs(
      "Aufruf: taluvek BEFEHL [ARGUMENTE]\n"
      "\n"
      "Befehle:\n"
      "  demo [ORDNER]   legt in ORDNER (Vorgabe: ein neuer temporärer Ordner)\n"
      "                  eine kennwortgeschützte Datenbank an, öffnet sie wie die\n"
      "                  Bibliothek, schreibt und liest einen Satz und sagt, was\n"
      "                  sie getan hat\n"
      "\n"
      "Optionen:\n"
      "  -h, --help      diese Hilfe\n",
      out);
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  vx::cli::InstallTerminalDialog();
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    PrintUsage(stderr);
    return kExitUsage;
  }
  if (args[0] == "-h" || args[0] == "--help") {
    PrintUsage(stdout);
    return 0;
  }
  if (args[0] == "demo") {
    args.erase(args.begin());
    return vx::cli::RunDemo(args);
  }
  std::fprintf(stderr, "taluvek: unbekannter Befehl '%s'\n\n", args[0].c_str());
  PrintUsage(stderr);
  return kExitUsage;
}
