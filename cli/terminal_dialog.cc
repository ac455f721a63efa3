#include "cli/terminal_dialog.h"

#include <unistd.h>

#include <iostream>
#include <vector>

#include "platform/linux_host.h"
#include "platform/text.h"
#include "vx_taluvek/host.h"

namespace vx::cli {

namespace {

struct Choice {
  char key;
  const char* label;
  int32_t answer;
};

// The choices of a box's button set, in the order of its buttons.
std::vector<Choice> ChoicesOf(int32_t style) {
  switch (style & 0xF) {
    case 1: return {{'o', "[o]k", kMsgOk}, {'a', "[a]bbrechen", kMsgCancel}};
    case 2:
      return {{'a', "[a]bbrechen", kMsgAbort},
              {'w', "[w]iederholen", kMsgRetry},
              {'n', "[n]icht mehr zeigen", kMsgIgnore}};
    case 3:
      return {{'j', "[j]a", kMsgYes},
              {'n', "[n]ein", kMsgNo},
              {'a', "[a]bbrechen", kMsgCancel}};
    case 4: return {{'j', "[j]a", kMsgYes}, {'n', "[n]ein", kMsgNo}};
    case 5:
      return {{'w', "[w]iederholen", kMsgRetry},
              {'a', "[a]bbrechen", kMsgCancel}};
    default: return {};
  }
}

}  // namespace

int32_t AskMessageBox(const std::string& prompt, int32_t style,
                      const std::string& title, std::istream& in,
                      std::ostream& out, bool interactive) {
  const int32_t fallback = DefaultButtonAnswer(style);
  out << (title.empty() ? "" : title + ": ") << prompt << "\n";
  std::vector<Choice> choices = ChoicesOf(style);
  if (!interactive || choices.empty()) return fallback;
  for (;;) {
    for (size_t i = 0; i < choices.size(); ++i) {
      out << (i ? ", " : "") << choices[i].label;
    }
    out << "? " << std::flush;
    std::string line;
    if (!std::getline(in, line)) return fallback;
    line = LCase(Trim(line));
    if (line.empty()) return fallback;
    for (const Choice& c : choices) {
      if (line[0] == c.key) return c.answer;
    }
  }
}

void InstallTerminalDialog() {
  HostHooks hooks;
  hooks.message_box = [](const std::string& prompt, int32_t style,
                         const std::string& title) {
    bool interactive = isatty(STDIN_FILENO) && isatty(STDERR_FILENO);
    return AskMessageBox(prompt, style, title, std::cin, std::cerr, interactive);
  };
  SetHostHooks(std::move(hooks));
}

}  // namespace vx::cli
