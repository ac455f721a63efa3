#include "cli/manual_sections.h"

#include <sstream>

#include "cli/command_line.h"

namespace vx::cli {

namespace {

// `text` as lines of a manual page kept as they are: a backslash is the
// escape character of the page, and a line beginning with a dot or an
// apostrophe would be a request.
std::string Verbatim(const std::string& text) {
  std::string page;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::string escaped;
    for (char c : line) escaped += c == '\\' ? std::string("\\e") : std::string(1, c);
    if (!escaped.empty() && (escaped[0] == '.' || escaped[0] == '\'')) {
      escaped = "\\&" + escaped;
    }
    page += escaped + "\n";
  }
  return page;
}

void AddSections(const CLI::App& command, const std::string& above,
                 std::string* page) {
  for (const CLI::App* sub : CommandsOf(command)) {
    const std::string help = sub->help();
    if (help != above) {
      *page += ".SS \"" + CommandName(*sub) + "\"\n.nf\n" + Verbatim(help) +
               ".fi\n";
    }
    AddSections(*sub, help, page);
  }
}

}  // namespace

std::string ManualSections(const CLI::App& root) {
  std::string page = "[BEFEHLE]\n";
  AddSections(root, root.help(), &page);
  return page;
}

}  // namespace vx::cli
