// The built `taluvek` program, run as a shell runs it, on a temporary
// installation: what the in-process tests cannot see (the terminal dialog,
// standard input, exit codes of a real process).

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/pg_cluster.h"
#include "support/second_user.h"
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
  // standard input, after the shell text `prefix` (an assignment or a
  // command ending in ";").  `tag` keeps apart the files of runs as another
  // user.
  Outcome Run(const std::string& args, const std::string& input = "",
              const std::string& prefix = "", const std::string& tag = "") {
    const std::string in = dir_.File("in" + tag), out = dir_.File("out" + tag),
                      err = dir_.File("err" + tag);
    WriteFile(in, input);
    std::string command = prefix + " " + ShellWord(kBinary) + " " + args +
                          " <" + ShellWord(in) + " >" + ShellWord(out) +
                          " 2>" + ShellWord(err);
    int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out),
            ReadFile(err)};
  }

  // The folder that holds the installation folder.
  const std::string& folder() const { return dir_.path(); }
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

  EXPECT_EQ(Run("aufruf bProjektRead 0").code, 2);
}

// As a shell sees them: a usage error is one line on standard error with
// exit code 2, nothing on standard output; --version and --help go to
// standard output with exit code 0.
TEST_F(TaluvekBinaryTest, UsageErrorsVersionAndHelp) {
  if (std::string(kBinary).empty()) {
    GTEST_SKIP() << "built without VX_TALUVEK_BINARY, the program's path";
  }
  for (const auto& [args, line] :
       std::vector<std::pair<std::string, std::string>>{
           {"projket liste",
            "taluvek: unbekannter Befehl 'projket', meinten Sie 'projekt'? "
            "(Hilfe: taluvek --help)\n"},
           {"projekt liste --jsno",
            "taluvek projekt liste: unbekannte Option '--jsno', meinten Sie "
            "'--json'? (Hilfe: taluvek projekt liste --help)\n"},
           {"einrichten",
            "taluvek einrichten: ORDNER fehlt (Hilfe: taluvek einrichten "
            "--help)\n"},
           {"sprache export a.po --sprache",
            "taluvek sprache export: --sprache ohne Wert (Hilfe: taluvek "
            "sprache export --help)\n"},
           {"", "taluvek: BEFEHL fehlt (einrichten, projekt, aufruf, sprache, "
                "benutzer, gruppe, recht, verwaltung, vererbung, datei, server) (Hilfe: "
                "taluvek --help)\n"}}) {
    Outcome o = Run(args);
    EXPECT_EQ(o.code, 2) << args;
    EXPECT_EQ(o.err, line);
    EXPECT_EQ(o.out, "");
  }
  Outcome o = Run("--version");
  EXPECT_EQ(o.code, 0);
  EXPECT_EQ(o.out, "taluvek (vx_taluvek) " VX_TALUVEK_VERSION "\n");
  o = Run("projekt setzen --help");
  EXPECT_EQ(o.code, 0);
  EXPECT_EQ(o.out.rfind("Aufruf: taluvek [--ini NAME] projekt setzen", 0), 0u)
      << o.out;
  EXPECT_EQ(o.err, "");
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

// Moving onto the server shows its progress as one line drawn again in
// place on a terminal, and as a line per file through a pipe, without a
// terminal's control characters.
TEST_F(TaluvekBinaryTest, TheMoveOntoTheServerShowsProgressAsTheOutputAllows) {
  if (std::string(kBinary).empty()) {
    GTEST_SKIP() << "built without VX_TALUVEK_BINARY, the program's path";
  }
  VX_PG_CLUSTER_OR_SKIP(cluster);
  const std::string piped_home = folder() + "/zweite";
  const std::string piped_env = "TARVANO_HOME=" + ShellWord(piped_home);
  ASSERT_EQ(Run("einrichten " + ShellWord(piped_home) + " --beispiel").code, 0);
  Outcome o = Run("server uebernehmen --server " +
                      ShellWord(cluster->ConnectionString(cluster->NewDatabase())),
                  "", piped_env);
  ASSERT_EQ(o.code, 0) << o.err;
  EXPECT_NE(o.out.find("[1/3] T:\\PROJEKT\\PROJEKT.VX3DB: "), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("3 Dateien mit "), std::string::npos) << o.out;
  EXPECT_EQ((o.out + o.err).find_first_of("\r\x1b"), std::string::npos);

  ASSERT_EQ(Run("einrichten " + ShellWord(home()) + " --beispiel").code, 0);
  o = RunOnTerminal({"server", "uebernehmen", "--server",
                     cluster->ConnectionString(cluster->NewDatabase())},
                    "");
  ASSERT_EQ(o.code, 0) << o.out;
  EXPECT_NE(o.out.find("\r[3/3] T:\\SYSTEM\\Language2.vx3db"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("\x1b[K"), std::string::npos);
  EXPECT_EQ(o.out.find("Tabellen, "), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("3 Dateien mit "), std::string::npos) << o.out;
}

TEST_F(TaluvekBinaryTest, MessagesOfTheLibraryReachTheTerminal) {
  if (std::string(kBinary).empty()) {
    GTEST_SKIP() << "built without VX_TALUVEK_BINARY, the program's path";
  }
  // A settings home without a settings file: the project object's
  // directory lookup shows the installation error as a box, which without
  // a terminal answers itself.
  std::filesystem::create_directory(home());
  Outcome o = Run("aufruf lProjektErrNum");
  EXPECT_EQ(o.code, 0);
  EXPECT_NE(o.err.find("INSTALLATIONS-FEHLER"), std::string::npos) << o.err;
}

// What is left beside or in `folder` of an installation being made.
bool HasStagingFolder(const std::string& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.find(".einrichten-") != std::string::npos) {
      return true;
    }
  }
  return false;
}

TEST_F(TaluvekBinaryTest, MembersOfAGroupShareTheInstallation) {
  std::optional<testing::SecondUser> user = testing::TheSecondUser();
  if (std::string(kBinary).empty() || !user) {
    GTEST_SKIP() << "needs the program and root, to make a second user";
  }
  testing::ShareFolder(*user, folder());
  const std::string strict = "umask 077;";
  Outcome o = Run("einrichten " + ShellWord(home()) + " --beispiel --gruppe " +
                      user->shared_group_name,
                  "", strict);
  ASSERT_EQ(o.code, 0) << o.err;
  for (const char* name : {"", "/PROJEKT", "/STRUKTUREN", "/Tarvano.INI",
                           "/Laufwerke.INI", "/PROJEKT/PROJEKT.VX3DB"}) {
    struct stat info;
    ASSERT_EQ(stat((home() + name).c_str(), &info), 0) << name;
    EXPECT_EQ(info.st_gid, user->shared_group) << name;
    const mode_t wanted =
        S_ISDIR(info.st_mode) ? (S_ISGID | S_IRWXG) : (S_IRGRP | S_IWGRP);
    EXPECT_EQ(info.st_mode & wanted, wanted) << name;
  }

  // Each member changes the project under a strict umask of its own: what
  // one leaves or makes (lock file, journal) is the other's to use.
  auto change_as_second_user = [&](const std::string& text) {
    return testing::RunAs(*user, [&] {
      return Run("projekt setzen 4711 'ProBez=" + text + "'", "", strict, "2")
          .code;
    });
  };
  EXPECT_EQ(change_as_second_user("Von zwei"), 0);
  ASSERT_EQ(Run("projekt setzen 4711 'ProBez=Von eins'", "", strict).code, 0);
  EXPECT_EQ(change_as_second_user("Wieder zwei"), 0);
  o = Run("projekt zeigen 4711", "", strict);
  EXPECT_NE(o.out.find("Wieder zwei"), std::string::npos) << o.out << o.err;
  struct stat db;
  ASSERT_EQ(stat((home() + "/PROJEKT/PROJEKT.VX3DB").c_str(), &db), 0);
  EXPECT_EQ(db.st_gid, user->shared_group);
  EXPECT_EQ(db.st_mode & 0660, 0660u);

  EXPECT_EQ(Run("einrichten " + ShellWord(folder() + "/neu") +
                " --gruppe keine-solche-gruppe").code,
            2);
}

// A file size limit makes writes fail as on a full disk: the command says
// so and ends in order, and no half installation is left, nor an old one
// lost.
TEST_F(TaluvekBinaryTest, AFileSizeLimitFailsLikeAFullDiskAndLeavesNothingHalf) {
  if (std::string(kBinary).empty()) {
    GTEST_SKIP() << "built without VX_TALUVEK_BINARY, the program's path";
  }
  const std::string limited = "ulimit -f 40;";
  Outcome o = Run("einrichten " + ShellWord(home()) + " --beispiel", "", limited);
  EXPECT_EQ(o.code, 1) << o.err;
  EXPECT_NE(o.err.find("3026"), std::string::npos) << o.err;
  EXPECT_FALSE(std::filesystem::exists(home()));
  EXPECT_FALSE(HasStagingFolder(folder()));

  ASSERT_EQ(Run("einrichten " + ShellWord(home()) + " --beispiel").code, 0);
  o = Run("einrichten " + ShellWord(home()) + " --ersetzen", "", limited);
  EXPECT_EQ(o.code, 1) << o.err;
  EXPECT_FALSE(HasStagingFolder(home()));
  o = Run("projekt zeigen 4711");
  EXPECT_EQ(o.code, 0) << o.err;
  EXPECT_NE(o.out.find("Kindergarten"), std::string::npos) << o.out;
}

// A folder whose name ends with a blank is one folder like any other.
TEST_F(TaluvekBinaryTest, AFolderNameEndingWithABlankWorks) {
  if (std::string(kBinary).empty()) {
    GTEST_SKIP() << "built without VX_TALUVEK_BINARY, the program's path";
  }
  const std::string blank = home() + " ";
  ASSERT_EQ(Run("einrichten " + ShellWord(blank) + " --beispiel").code, 0);
  EXPECT_EQ(ReadFile(blank + "/Laufwerke.INI"),
            "[Laufwerke]\nT:=\"" + blank + "\"\n");
  Outcome o = Run("projekt zeigen 4711", "", "TARVANO_HOME=" + ShellWord(blank));
  EXPECT_EQ(o.code, 0) << o.err;
  EXPECT_NE(o.out.find("Kindergarten"), std::string::npos) << o.out;
}

TEST_F(TaluvekBinaryTest, UsersRightsAndProjectsFromTheShell) {
  if (std::string(kBinary).empty()) {
    GTEST_SKIP() << "built without VX_TALUVEK_BINARY, the program's path";
  }
  Outcome o = Run("einrichten " + ShellWord(home()));
  ASSERT_EQ(o.code, 0) << o.err;
  EXPECT_NE(o.out.find("taluvek benutzer anlegen NAME --admin"),
            std::string::npos);
  EXPECT_EQ(Run("verwaltung status").out, "aus\n");
  // Switched on only with an administrator who can log in.
  EXPECT_EQ(Run("verwaltung an").code, 1);
  ASSERT_EQ(Run("benutzer anlegen chef --admin", "Chef!pw\n").code, 0);
  ASSERT_EQ(Run("verwaltung an").code, 0);

  const std::string chef = "--benutzer chef --passwort-stdin ";
  // Administration needs the administrator now.
  o = Run("benutzer liste");
  EXPECT_EQ(o.code, 1);
  EXPECT_NE(o.err.find("nicht angemeldet"), std::string::npos) << o.err;
  ASSERT_EQ(Run(chef + "benutzer anlegen bert", "Chef!pw\nbert123\n").code, 0);
  ASSERT_EQ(Run(chef + "gruppe anlegen Planung", "Chef!pw\n").code, 0);
  ASSERT_EQ(Run(chef + "gruppe aufnehmen Planung bert", "Chef!pw\n").code, 0);
  o = Run("--benutzer bert --passwort-stdin gruppe liste", "bert123\n");
  EXPECT_EQ(o.code, 1);
  EXPECT_NE(o.err.find("nur ein Administrator"), std::string::npos) << o.err;

  // Without the right, then with it.
  const std::string bert = "--benutzer bert --passwort-stdin ";
  o = Run(bert + "projekt neu 4711", "bert123\n");
  EXPECT_EQ(o.code, 1);
  EXPECT_NE(o.err.find("[PROJ_NEW]"), std::string::npos) << o.err;
  ASSERT_EQ(Run(chef + "recht modul Planung PROJ_NEW", "Chef!pw\n").code, 0);
  o = Run(bert + "projekt neu \"O'Neil\" --rv --json", "bert123\n");
  ASSERT_EQ(o.code, 0) << o.err;
  EXPECT_EQ(o.out, "{\"id\":1,\"nummer\":\"O'Neil\"}\n");
  o = Run(chef + "recht zeigen PR \"O'Neil\"", "Chef!pw\n");
  EXPECT_EQ(o.out, "bert (Benutzer)\tlesen schreiben besitzer\n");
  o = Run("projekt liste --json");
  EXPECT_EQ(o.out,
            "{\"nummer\":\"O'Neil\",\"id\":1,\"bezeichnung\":null,"
            "\"gesperrt\":false}\n");

  // A wrong password ends the login: no endless asking, no password shown.
  o = Run(bert + "projekt neu", "falsch-geraten\n");
  EXPECT_EQ(o.code, 1);
  EXPECT_NE(o.err.find("Passwort"), std::string::npos);
  EXPECT_EQ(o.err.find("falsch-geraten"), std::string::npos);
  o = Run(chef + "benutzer liste --json", "Chef!pw\n");
  EXPECT_NE(o.out.find("{\"name\":\"bert\",\"id\":2,\"art\":0,"
                       "\"gesperrt\":false,\"fehlversuche\":1}"),
            std::string::npos)
      << o.out;
  ASSERT_EQ(Run(chef + "benutzer sperren bert", "Chef!pw\n").code, 0);
  EXPECT_EQ(Run(bert + "projekt neu", "bert123\n").code, 1);
  EXPECT_EQ(Run("--passwort-stdin projekt liste").code, 2);
}

}  // namespace
}  // namespace vx::cli
