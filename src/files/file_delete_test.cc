// Deletion and the shell's file operations: lists, patterns, folders, the
// user's cancel, the retry of the error dialog, databases in use, and the
// recycle bin as a desktop sees it.

#include "files/file_delete.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "files/datei_operation.h"
#include "files/files_process_util.h"
#include "files/files_test_util.h"
#include "platform/module_state.h"
#include "support/fake_host.h"
#include "vx_taluvek/components.h"
#include "vx_taluvek/error.h"

namespace vx {
namespace {

using testing::ReadFile;
namespace fs = std::filesystem;

const std::string kNul(1, '\0');

class FileDeleteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    inst.WriteSettings("[Server]\nDatenbankArt=1\n");
    drive.MakeFile("Q\\a.txt", "a");
    drive.MakeFile("Q\\b.txt", "b");
    drive.MakeFile("Q\\c.dat", "c");
  }
  bool There(const std::string& relative) {
    return fs::exists(drive.HostPath(relative));
  }

  testing::Installation inst;
  testing::MappedDrive drive{inst};
  testing::FakeHost host;
};

// An error dialog that answers retry once, after `repair` mended the cause.
class RepairingDialog : public FehlerDialog {
 public:
  explicit RepairingDialog(std::function<void()> repair, int* shown)
      : repair_(std::move(repair)), shown_(shown) {}
  void SetNoVisibleNextMsg(bool) override {}
  int32_t EMW(const std::string&, const std::string&,
              const PendingError&) override {
    if (++*shown_ > 1) return 3;
    repair_();
    return 4;
  }
  void ErrorMsg(const std::string&, const std::string&,
                const PendingError&) override {}

 private:
  std::function<void()> repair_;
  int* shown_;
};

TEST(ProgrammBasisNameTest, CutsAtDoubleUnderscoreOrRibbon) {
  EXPECT_EQ(ProgrammBasisName("Editor__Test"), "Editor");
  EXPECT_EQ(ProgrammBasisName("Editor-ribbon"), "Editor");
  EXPECT_EQ(ProgrammBasisName("Editor"), "Editor");
}

TEST_F(FileDeleteTest, ListsPatternsAndFolderTargets) {
  drive.MakeFolder("Z");
  EXPECT_TRUE(DateiOperation(kFoCopy,
                             drive.Path("Q\\a.txt") + kNul + drive.Path("Q\\b.txt"),
                             drive.Path("Z"), false, true, 0, false));
  EXPECT_EQ(ReadFile(drive.HostPath("Z\\a.txt")), "a");
  EXPECT_EQ(ReadFile(drive.HostPath("Z\\b.txt")), "b");
  // One target per source.
  EXPECT_TRUE(DateiOperation(kFoCopy,
                             drive.Path("Q\\a.txt") + kNul + drive.Path("Q\\b.txt"),
                             drive.Path("Z\\1.txt") + kNul + drive.Path("Z\\2.txt"),
                             false, true, 0, false));
  EXPECT_EQ(ReadFile(drive.HostPath("Z\\2.txt")), "b");
  // A pattern goes into a folder, made when missing.
  EXPECT_TRUE(DateiOperation(kFoMove, drive.Path("Q\\*.TXT"),
                             drive.Path("Neu\\Ordner"), false, true, 0, false));
  EXPECT_TRUE(There("Neu\\Ordner\\a.txt") && There("Neu\\Ordner\\b.txt"));
  EXPECT_FALSE(There("Q\\a.txt"));
  EXPECT_TRUE(There("Q\\c.dat"));
  EXPECT_TRUE(DateiOperation(kFoRename, drive.Path("Q\\c.dat"),
                             drive.Path("Q\\d.dat"), false, true, 0, false));
  EXPECT_EQ(ReadFile(drive.HostPath("Q\\d.dat")), "c");
  EXPECT_TRUE(DateiOperation(kFoDelete, drive.Path("Z\\*.txt"), "", false,
                             true, 0, false));
  EXPECT_FALSE(There("Z\\a.txt") || There("Z\\1.txt"));
  // A pattern that finds nothing fails.
  EXPECT_FALSE(DateiOperation(kFoDelete, drive.Path("Z\\*.txt"), "", false,
                              true, 0, false));
  EXPECT_EQ(Err().Number(), kErrFileNotFound);
  EXPECT_EQ(Err().Description(), "Datei-Operation fehlgeschlagen");
}

TEST_F(FileDeleteTest, TheUsersCancelAndTheDialogsRetry) {
  drive.MakeFile("Z\\a.txt", "alt");
  host.message_box_answer = kMsgNo;
  // Declined: nothing replaced, and the copy check finds the old file.
  EXPECT_TRUE(DateiOperation(kFoCopy, drive.Path("Q\\a.txt"),
                             drive.Path("Z\\a.txt"), true, true, 0, false));
  EXPECT_EQ(ReadFile(drive.HostPath("Z\\a.txt")), "alt");
  host.message_box_answer = kMsgCancel;
  EXPECT_FALSE(DateiOperation(kFoCopy, drive.Path("Q\\a.txt"),
                              drive.Path("Z\\a.txt"), true, true, 0, false));
  EXPECT_EQ(Err().Number(), kErrUserAbort);
  EXPECT_EQ(Err().Description(), "Abbruch durch den Benutzer");
  host.message_box_answer = 0;

  int shown = 0;
  ComponentFactory previous = RegisterComponent(FehlerDialog::kProgramId, [&] {
    return std::make_shared<RepairingDialog>(
        [&] { drive.MakeFile("Q\\spaet.txt", "spät"); }, &shown);
  });
  EXPECT_TRUE(DateiOperation(kFoCopy, drive.Path("Q\\spaet.txt"),
                             drive.Path("Z\\spaet.txt"), false, false, 0,
                             false));
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(ReadFile(drive.HostPath("Z\\spaet.txt")), "spät");
  RegisterComponent(FehlerDialog::kProgramId, previous);
}

TEST_F(FileDeleteTest, UnserKillWithLockFileAndInUse) {
  bool recycle = false;
  EXPECT_FALSE(UnserKill("", true, recycle, false));
  drive.MakeFile("T\\~KV1A2B.TMP", "temp");
  drive.MakeFile("T\\~KV1A2B.LDB", "");
  EXPECT_TRUE(UnserKill(drive.Path("T\\~KV1A2B.TMP"), true, recycle, false));
  EXPECT_FALSE(There("T\\~KV1A2B.TMP") || There("T\\~KV1A2B.LDB"));
  // No lock file: no error either.
  drive.MakeFile("T\\x.VX3DB", "x");
  EXPECT_TRUE(UnserKill(drive.Path("T\\x.VX3DB"), true, recycle, false));
  EXPECT_FALSE(Err().IsSet());
  EXPECT_TRUE(UnserKill(drive.Path("T\\fehlt.VX3DB"), false, recycle, false));

  drive.MakeFile("T\\P.VX3DB", "Daten");
  {
    testing::DatabaseUser other(drive.HostPath("T\\P.VX3DB"));
    ASSERT_TRUE(other.running());
    EXPECT_FALSE(UnserKill(drive.Path("T\\P.VX3DB"), true, recycle, false));
    EXPECT_FALSE(Err().IsSet());
    EXPECT_EQ(ReadFile(drive.HostPath("T\\P.VX3DB")), "Daten");
    EXPECT_TRUE(There("T\\P.VXLDB"));
  }
  EXPECT_TRUE(UnserKill(drive.Path("T\\P.VX3DB"), true, recycle, false));
  EXPECT_FALSE(There("T\\P.VX3DB"));
}

// What a desktop's file manager reads: the file under files/ and its
// .trashinfo with the original path and the date under info/.  GIO reads
// HOME and XDG_DATA_HOME once per process, so each case runs in a child.
TEST_F(FileDeleteTest, TheRecycleBinAsADesktopSeesIt) {
  const std::string data_home = drive.HostPath("home/.local/share");
  fs::create_directories(data_home);
  auto in_child = [&](const std::function<bool()>& body) {
    pid_t pid = fork();
    if (pid == 0) {
      setenv("HOME", drive.HostPath("home").c_str(), 1);
      setenv("XDG_DATA_HOME", data_home.c_str(), 1);
      _exit(body() ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  };
  EXPECT_TRUE(in_child([&] {
    bool recycle = true;
    return UnserKill(drive.Path("Q\\a.txt"), false, recycle, false);
  }));
  EXPECT_FALSE(There("Q\\a.txt"));
  const std::string trash = data_home + "/Trash";
  EXPECT_EQ(ReadFile(trash + "/files/a.txt"), "a");
  const std::string info = ReadFile(trash + "/info/a.txt.trashinfo");
  EXPECT_NE(info.find("[Trash Info]"), std::string::npos);
  EXPECT_NE(info.find("Path=" + drive.HostPath("Q/a.txt")), std::string::npos)
      << info;
  EXPECT_NE(info.find("DeletionDate="), std::string::npos);

  // On a network installation a file of a share is first copied into the
  // temporary folder and that copy put into the recycle bin.
  drive.Map("F:", "F");
  drive.MakeFile("F\\n.txt", "n");
  drive.MakeFolder("tmp");
  EXPECT_TRUE(in_child([&] {
    setenv("TEMP", drive.HostPath("tmp").c_str(), 1);
    State().bNetzInstallation = true;
    return DateiLoeschen("F:\\n.txt", false, true, false);
  }));
  EXPECT_FALSE(There("F\\n.txt") || There("tmp\\n.txt"));
  int copies = 0;
  for (const auto& entry : fs::directory_iterator(trash + "/files")) {
    if (ReadFile(entry.path().string()) == "n") ++copies;
  }
  EXPECT_EQ(copies, 2);

  // A database in use stays where it is.
  drive.MakeFile("Q\\P.VX3DB", "Daten");
  testing::DatabaseUser other(drive.HostPath("Q\\P.VX3DB"));
  EXPECT_FALSE(in_child([&] {
    return DateiLoeschen(drive.Path("Q\\P.VX3DB"), false, true, false);
  }));
  EXPECT_TRUE(There("Q\\P.VX3DB"));
  EXPECT_FALSE(fs::exists(trash + "/files/P.VX3DB"));
}

}  // namespace
}  // namespace vx
