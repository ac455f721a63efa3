#include "cli/terminal_login.h"

#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <memory>

#include "platform/linux_host.h"
#include "vx_taluvek/host.h"

namespace vx::cli {

namespace {

bool OnTerminal() { return isatty(STDIN_FILENO) && isatty(STDERR_FILENO); }

struct LoginState {
  std::string benutzer;
  std::optional<std::string> password;  // from standard input, used once
  ~LoginState() {
    if (password) WipeSecret(*password);
  }
};

bool AskOnTerminal(const LoginState& state, const std::string& caption,
                   std::string& name, std::string& password) {
  std::cerr << caption << "\n"
            << "Benutzer"
            << (state.benutzer.empty() ? "" : " [" + state.benutzer + "]")
            << ": " << std::flush;
  if (!std::getline(std::cin, name)) return false;
  if (name.empty()) name = state.benutzer;
  if (name.empty()) return false;
  std::optional<std::string> secret = ReadSecretLine("Passwort: ");
  if (!secret) return false;
  password = *secret;
  WipeSecret(*secret);
  return true;
}

}  // namespace

void WipeSecret(std::string& secret) {
  std::fill(secret.begin(), secret.end(), '\0');
  secret.clear();
}

std::optional<std::string> ReadSecretLine(const std::string& prompt) {
  const bool terminal = isatty(STDIN_FILENO);
  termios saved{};
  if (terminal) {
    std::cerr << prompt << std::flush;
    tcgetattr(STDIN_FILENO, &saved);
    termios quiet = saved;
    quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  std::string line;
  const bool read = static_cast<bool>(std::getline(std::cin, line));
  if (terminal) {
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::cerr << "\n";
  }
  if (!read) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

void InstallTerminalLogin(const std::string& benutzer,
                          std::optional<std::string> password_from_stdin) {
  auto state = std::make_shared<LoginState>();
  state->benutzer = benutzer;
  state->password = std::move(password_from_stdin);
  HostHooks hooks = *InstalledHostHooks();
  hooks.login = [state](const std::string& caption, std::string& name,
                        std::string& password) {
    if (state->password) {
      // Given once: nobody is there to try again.
      name = state->benutzer;
      password = *state->password;
      WipeSecret(*state->password);
      state->password.reset();
      return true;
    }
    if (!state->benutzer.empty() && !OnTerminal()) return false;
    return OnTerminal() && AskOnTerminal(*state, caption, name, password);
  };
  SetHostHooks(std::move(hooks));
}

}  // namespace vx::cli
