// The built `taluvek` program, run as a shell runs it, on a temporary
// installation: what the in-process tests cannot see (the terminal dialog,
// standard input, exit codes of a real process).

#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace vx::cli {
namespace {

using testing::ReadFile;
using testing::WriteFile;

struct Outcome {
  int code;
  std::string out;
  std::string err;
};

std::string ShellWord(const std::string& text) {
  std::string quoted = "'";
  for (char c : text)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

class TaluvekBinaryTest : public ::testing::Test {
 protected:
  TaluvekBinaryTest()
      : home_env_("TARVANO_HOME", dir_.File("inst")),
        ini_env_("TARVANO_INI", {}) {}

  // Runs the program with `args` (already shell words) and `input` on its
  // standard input.
  Outcome Run(const std::string& args, const std::string& input = "") {
    WriteFile(dir_.File("in"), input);
    std::string command = ShellWord(kBinary) + " " + args + " <" +
                          ShellWord(dir_.File("in")) + " >" +
                          ShellWord(dir_.File("out")) + " 2>" +
                          ShellWord(dir_.File("err"));
    int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            ReadFile(dir_.File("out")), ReadFile(dir_.File("err"))};
  }

  // Runs the program with `args` on a terminal of its own on which
  // `typed` is typed; `out` is everything the terminal showed.
  Outcome RunOnTerminal(std::vector<std::string> args,
                        const std::string& typed) {
    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid == 0) {
      std::vector<char*> argv{const_cast<char*>(kBinary)};
      for (std::string& arg : args) argv.push_back(arg.data());
      argv.push_back(nullptr);
      execv(kBinary, argv.data());
      _exit(127);
    }
    EXPECT_EQ(write(terminal, typed.data(), typed.size()),
              static_cast<ssize_t>(typed.size()));
    std::string shown;
    char buffer[512];
    ssize_t n = 0;
    // Ends with EIO once the program has closed the terminal.
    while ((n = read(terminal, buffer, sizeof buffer)) > 0) {
      shown.append(buffer, static_cast<size_t>(n));
    }
    int status = 0;
    waitpid(pid, &status, 0);
    close(terminal);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, shown, ""};
  }

  std::string home() const { return dir_.File("inst"); }

#ifdef VX_TALUVEK_BINARY
  static constexpr const char* kBinary = VX_TALUVEK_BINARY;
#else
  static constexpr const char* kBinary = "";
#endif

 private:
  testing::TempDir dir_;
  testing::ScopedEnv home_env_;
  testing::ScopedEnv ini_env_;
};

TEST_F(TaluvekBinaryTest, AProjectFromInstallationToUnlock) {
  if (std::string(kBinary).empty()) {
    GTEST_SKIP() << "built without VX_TALUVEK_BINARY, the program's path";
  }
  Outcome o = Run("einrichten " + ShellWord(home()) + " --beispiel");
  ASSERT_EQ(o.code, 0) << o.err;
  EXPECT_NE(o.out.find("export TARVANO_HOME=" + ShellWord(home())),
            std::string::npos);

  o = Run("projekt setzen 4711 'ProBez=Neubau Nord'");
  ASSERT_EQ(o.code, 0) << o.err;
  o = Run("aufruf --skript -",
          "bProjektRead 0 4711\n"
          "vProjektDatenRead probez\n"
          "bProjektDatenWrite \"O'Neil & Söhne\" Bemerkung\n"
          "bProjWrite 0 4711\n");
  ASSERT_EQ(o.code, 0) << o.err;
  EXPECT_NE(o.out.find("vProjektDatenRead = Neubau Nord\n"), std::string::npos)
      << o.out;
  o = Run("projekt zeigen 4711 --json");
  ASSERT_EQ(o.code, 0) << o.err;
  EXPECT_NE(o.out.find("\"Bemerkung\": \"O'Neil & Söhne\""), std::string::npos)
      << o.out;

  EXPECT_EQ(Run("projekt sperren 4711").code, 0);
  o = Run("projekt sperren 4711");
  EXPECT_EQ(o.code, 1);
  EXPECT_NE(o.err.find("lProjektErrNum = -20"), std::string::npos) << o.err;
  EXPECT_EQ(Run("projekt entsperren 4711").code, 0);
  EXPECT_EQ(Run("projekt sperren 4711").code, 0);
  EXPECT_EQ(Run("projekt alle-entsperren").code, 0);

  EXPECT_EQ(Run("").code, 2);
  EXPECT_EQ(Run("aufruf bProjektRead 0").code, 2);
}

TEST_F(TaluvekBinaryTest, UnlockingAllAsksOnATerminal) {
  if (std::string(kBinary).empty()) {
    GTEST_SKIP() << "built without VX_TALUVEK_BINARY, the program's path";
  }
  ASSERT_EQ(Run("einrichten " + ShellWord(home()) + " --beispiel").code, 0);
  ASSERT_EQ(Run("projekt sperren 4711").code, 0);
  Outcome o = RunOnTerminal({"projekt", "alle-entsperren"}, "n\n");
  EXPECT_EQ(o.code, 1) << o.out;
  EXPECT_NE(o.out.find("[j/N]"), std::string::npos) << o.out;
  EXPECT_NE(Run("projekt zeigen 4711 --json").out.find("\"SatzLockKZ\": true"),
            std::string::npos);
  o = RunOnTerminal({"projekt", "alle-entsperren"}, "ja\n");
  EXPECT_EQ(o.code, 0) << o.out;
  EXPECT_NE(o.out.find("Alle Projekte entsperrt."), std::string::npos);
  EXPECT_NE(Run("projekt zeigen 4711 --json").out.find("\"SatzLockKZ\": false"),
            std::string::npos);
}

TEST_F(TaluvekBinaryTest, MessagesOfTheLibraryReachTheTerminal) {
  if (std::string(kBinary).empty()) {
    GTEST_SKIP() << "built without VX_TALUVEK_BINARY, the program's path";
  }
  // No installation: the project object's directory lookup shows the
  // installation error as a box, which without a terminal answers itself.
  Outcome o = Run("aufruf lProjektErrNum");
  EXPECT_EQ(o.code, 0);
  EXPECT_NE(o.err.find("INSTALLATIONS-FEHLER"), std::string::npos) << o.err;
}

}  // namespace
}  // namespace vx::cli
