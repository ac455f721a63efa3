#include "platform/linux_host.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>

#include "platform/profile_cache.h"
#include "platform/profile_file.h"
#include "platform/text.h"
#include "support/test_support.h"
#include "vx_taluvek/error.h"

namespace vx {
namespace {

int32_t ErrorOf(const std::function<void()>& step) {
  try {
    step();
  } catch (const Error& e) {
    return e.number();
  }
  return 0;
}

class LinuxHostTest : public ::testing::Test {
 protected:
  std::string Get(const std::string& key, const std::string& fallback = "",
                  size_t buffer_chars = 2000,
                  const std::string& file = "Tarvano.INI") {
    std::string value = "untouched";
    size_t count = host_.GetProfileString("SYS", key, fallback, &value,
                                          buffer_chars, file);
    EXPECT_EQ(count, Len(value));
    return value;
  }
  std::string Mkdir(const std::string& name) {
    std::filesystem::create_directories(home_.File(name));
    return home_.File(name);
  }

  testing::TempDir home_;
  testing::ScopedEnv env_{"TARVANO_HOME", home_.path()};
  LinuxHost host_;
};

// ---- Settings files ----

TEST_F(LinuxHostTest, ReadsBareNamesFromTheHomeWithCharacterCuts) {
  // "Größenänderung": 14 characters, 17 bytes.
  testing::WriteFile(home_.File("tarvano.ini"), "[sys]\nName=Größenänderung\n");
  EXPECT_EQ(Get("NAME"), "Größenänderung");
  EXPECT_EQ(Get("Name", "", 5), "Größ");
  EXPECT_EQ(Get("Name", "", 1), "");
  EXPECT_EQ(Get("Missing", "  Vorgabe  "), "  Vorgabe");
  EXPECT_EQ(Get("Missing", "äöü", 3), "äö");
  EXPECT_EQ(Get("Name", "none", 2000, "Q:\\Tarvano.INI"), "none");
}

TEST_F(LinuxHostTest, WriteCreatesTheFileButNeverTheHome) {
  ASSERT_TRUE(host_.WriteProfileString("SYS", "Key", " Wert ", "Tarvano.INI"));
  EXPECT_EQ(testing::ReadFile(home_.File("Tarvano.INI")),
            "[SYS]\nKey=\" Wert \"\n");
  EXPECT_EQ(Get("key"), " Wert ");
  {
    // The settings home is the installation's to make.
    testing::ScopedEnv missing("TARVANO_HOME", home_.File("new/home"));
    EXPECT_FALSE(host_.WriteProfileString("SYS", "Key", "1", "Tarvano.INI"));
    EXPECT_EQ(Get("Key", "fehlt"), "fehlt");
    EXPECT_FALSE(std::filesystem::exists(home_.File("new")));
  }
  // A path with a folder goes through the drive mapping, with no folders
  // created on the way.
  std::string other = home_.File("Other.ini");
  testing::WriteFile(other, "[A]\nk=0\n");
  ASSERT_TRUE(host_.WriteProfileString("A", "k", "1", home_.File("OTHER.INI")));
  EXPECT_EQ(testing::ReadFile(other), "[A]\nk=1\n");
  EXPECT_FALSE(host_.WriteProfileString("A", "k", "1", home_.File("no/x.ini")));
  EXPECT_FALSE(std::filesystem::exists(home_.File("no")));
  EXPECT_FALSE(host_.WriteProfileString("A", "k", "1", "Q:\\x.ini"));
}

// Settings files are parsed once and kept; every way another process may
// change one must still show at the next read.
TEST_F(LinuxHostTest, ChangesOnDiskAreSeenAtTheNextRead) {
  const std::string file = home_.File("Tarvano.INI");
  testing::WriteFile(file, "[SYS]\nA=1\n");
  EXPECT_EQ(Get("A"), "1");
  // Changed in place, same size, within the same tick of the clock.
  testing::WriteFile(file, "[SYS]\nA=2\n");
  EXPECT_EQ(Get("A"), "2");

  // Once its times have settled a file is trusted by them without a read:
  // a change that even puts the old modification time back still moves the
  // change time.
  struct stat before;
  ASSERT_EQ(stat(file.c_str(), &before), 0);
  sleep(ProfileCache::kSettleSeconds + 1);
  EXPECT_EQ(Get("A"), "2");
  EXPECT_EQ(Get("A"), "2");
  testing::WriteFile(file, "[SYS]\nA=3\n");
  const timespec old_times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), old_times, 0), 0);
  EXPECT_EQ(Get("A"), "3");

  // Replaced by another process, removed, and made a folder.
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    LinuxHost other;
    _exit(other.WriteProfileString("SYS", "A", "aus Prozess 2",
                                   "Tarvano.INI")
              ? 0
              : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(Get("A"), "aus Prozess 2");
  ASSERT_EQ(unlink(file.c_str()), 0);
  EXPECT_EQ(Get("A", "fehlt"), "fehlt");
  Mkdir("Tarvano.INI");
  EXPECT_EQ(Get("A", "fehlt"), "fehlt");
  // A name in another case is found again once the exact one is gone.
  std::filesystem::remove(file);
  testing::WriteFile(home_.File("TARVANO.ini"), "[SYS]\nA=gross\n");
  EXPECT_EQ(Get("A"), "gross");
}

// The lookups of one glance see each file as the first of them did; a
// write by this process shows at once, another's change after the glance.
TEST_F(LinuxHostTest, AGlanceLooksAtEachFileOnce) {
  const std::string file = home_.File("Tarvano.INI");
  testing::WriteFile(file, "[SYS]\nA=1\n");
  {
    ProfileCache::Glance glance;
    EXPECT_EQ(Get("A"), "1");
    testing::WriteFile(file, "[SYS]\nA=2\n");  // as by another process
    {
      ProfileCache::Glance nested;
      EXPECT_EQ(Get("A"), "1");
    }
    EXPECT_EQ(Get("A"), "1");
    ASSERT_TRUE(host_.WriteProfileString("SYS", "B", "neu", "Tarvano.INI"));
    EXPECT_EQ(Get("B"), "neu");
    EXPECT_EQ(Get("A"), "2");
    ASSERT_EQ(unlink(file.c_str()), 0);
    EXPECT_EQ(Get("A", "fehlt"), "2");
  }
  EXPECT_EQ(Get("A", "fehlt"), "fehlt");
  testing::WriteFile(file, "[SYS]\nA=3\n");
  EXPECT_EQ(Get("A"), "3");
}

TEST_F(LinuxHostTest, WriteKeepsLinesModeAndSymbolicLinks) {
  std::string target = home_.File("real.ini");
  testing::WriteFile(target, "; Kommentar\r\n[SYS]\r\nA=1\r\n[Z]\r\n");
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  ASSERT_EQ(symlink(target.c_str(), home_.File("Tarvano.INI").c_str()), 0);
  ASSERT_TRUE(host_.WriteProfileString("Sys", "B", "2", "Tarvano.INI"));
  EXPECT_EQ(testing::ReadFile(target),
            "; Kommentar\r\n[SYS]\r\nA=1\r\nB=2\r\n[Z]\r\n");
  EXPECT_TRUE(std::filesystem::is_symlink(home_.File("Tarvano.INI")));
  struct stat st;
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// A new settings file is shared as its folder is, whatever the writer's
// umask; a replaced one keeps its permissions.
TEST_F(LinuxHostTest, WriteSharesANewFileAsItsFolder) {
  ASSERT_EQ(chmod(home_.path().c_str(), 02770), 0);
  const mode_t old_mask = umask(077);
  const bool written = host_.WriteProfileString("SYS", "A", "1", "Tarvano.INI");
  umask(old_mask);
  ASSERT_TRUE(written);
  struct stat st;
  ASSERT_EQ(stat(home_.File("Tarvano.INI").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0660u);
}

TEST_F(LinuxHostTest, FailedWritesAnswerFalseAndLeaveTheOldFile) {
  const std::string old_content = "[SYS]\nA=old\n";
  testing::WriteFile(home_.File("Tarvano.INI"), old_content);
  EXPECT_FALSE(
      host_.WriteProfileString("SYS", "A", "x\n[Injected]", "Tarvano.INI"));
  EXPECT_FALSE(host_.WriteProfileString("SYS", "", "x", "Tarvano.INI"));

  // A disk that fills up mid-write: the size limit makes write() fail.
  struct sigaction ignore {};
  struct sigaction previous {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(sigaction(SIGXFSZ, &ignore, &previous), 0);
  rlimit old_limit;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  rlimit small = old_limit;
  small.rlim_cur = old_content.size() + 4;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool written =
      host_.WriteProfileString("SYS", "A", "much longer", "Tarvano.INI");
  setrlimit(RLIMIT_FSIZE, &old_limit);
  sigaction(SIGXFSZ, &previous, nullptr);
  EXPECT_FALSE(written);
  EXPECT_EQ(testing::ReadFile(home_.File("Tarvano.INI")), old_content);
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(home_.path())) {
    files += entry.exists() ? 1 : 0;
  }
  EXPECT_EQ(files, 1u) << "temporary file left behind";

  // A folder where the file should be can be neither read nor replaced.
  Mkdir("Folder.INI/inside");
  EXPECT_FALSE(host_.WriteProfileString("SYS", "A", "1", "Folder.INI"));
  EXPECT_TRUE(std::filesystem::is_directory(home_.File("Folder.INI/inside")));
  EXPECT_EQ(Get("A", "default", 2000, "Folder.INI"), "default");
}

TEST_F(LinuxHostTest, ConcurrentWritersNeitherTearTheFileNorLoseKeys) {
  ASSERT_TRUE(host_.WriteProfileString("SYS", "Anker", "fest", "Tarvano.INI"));
  constexpr int kKeysPerWriter = 30;
  std::atomic<bool> done{false};
  std::atomic<int> torn_reads{0};
  std::thread reader([&] {
    LinuxHost host;
    std::string value;
    while (!done) {
      host.GetProfileString("SYS", "Anker", "", &value, 100, "Tarvano.INI");
      if (value != "fest") ++torn_reads;
    }
  });
  auto writer = [&](const std::string& prefix) {
    LinuxHost host;
    for (int i = 0; i < kKeysPerWriter; ++i) {
      EXPECT_TRUE(host.WriteProfileString("SYS", prefix + std::to_string(i),
                                          std::string(200, 'x'),
                                          "Tarvano.INI"));
    }
  };
  std::thread first(writer, "a");
  std::thread second(writer, "b");
  first.join();
  second.join();
  done = true;
  reader.join();
  EXPECT_EQ(torn_reads, 0);
  std::string content = testing::ReadFile(home_.File("Tarvano.INI"));
  for (const char* prefix : {"a", "b"}) {
    for (int i = 0; i < kKeysPerWriter; ++i) {
      EXPECT_TRUE(FindProfileValue(content, "SYS", prefix + std::to_string(i)))
          << prefix << i;
    }
  }
}

TEST_F(LinuxHostTest, SettingsHomeFollowsTheEnvironment) {
  testing::ScopedEnv trailing("TARVANO_HOME", "/srv/tarvano//");
  EXPECT_EQ(host_.SettingsHome(), "/srv/tarvano");
  testing::ScopedEnv unset("TARVANO_HOME", std::nullopt);
  testing::ScopedEnv config("XDG_CONFIG_HOME", "/cfg/");
  testing::ScopedEnv user_home("HOME", "/home/anna");
  EXPECT_EQ(host_.SettingsHome(), "/cfg/tarvano");
  testing::ScopedEnv relative("XDG_CONFIG_HOME", "cfg");
  EXPECT_EQ(host_.SettingsHome(), "/home/anna/.config/tarvano");
}

// ---- Paths and files ----

TEST_F(LinuxHostTest, MapPathUsesTheDriveTableAndExistingNames) {
  std::string drive_t = Mkdir("Laufwerk T/Daten");
  std::string share = Mkdir("share");
  testing::WriteFile(drive_t + "/PROJEKT.VX3DB", "");
  testing::WriteFile(home_.File("LAUFWERKE.ini"),
                     "[Laufwerke]\nt: = " + home_.File("Laufwerk T/") +
                         "\n\\\\Server\\Share=\"" + share + "\"\n");
  EXPECT_EQ(host_.MapPath("T:\\daten\\projekt.vx3db"),
            drive_t + "/PROJEKT.VX3DB");
  EXPECT_EQ(host_.MapPath("t:"), home_.File("Laufwerk T"));
  EXPECT_EQ(host_.MapPath("\\\\SERVER\\share\\Neu.txt"), share + "/Neu.txt");
  EXPECT_EQ(ErrorOf([&] { host_.MapPath("Q:\\x"); }), 76);
  EXPECT_EQ(host_.GetDriveType("Q:"), kDriveNoRootDir);
  EXPECT_EQ(host_.GetDriveType("T:"), kDriveFixed);
  EXPECT_EQ(host_.GetDriveType(home_.File("missing")), kDriveNoRootDir);
}

TEST_F(LinuxHostTest, LengthsAndAttributes) {
  testing::WriteFile(home_.File("Datei.txt"), "12345");
  testing::WriteFile(home_.File(".versteckt"), "");
  Mkdir("Ordner");
  EXPECT_EQ(host_.FileLen(home_.File("DATEI.TXT")), 5);
  EXPECT_EQ(host_.GetAttr(home_.File("datei.txt")), kAttrArchive);
  EXPECT_EQ(host_.GetAttr(home_.File(".versteckt")),
            kAttrArchive | kAttrHidden);
  EXPECT_EQ(host_.GetAttr(home_.File("ordner\\")), kAttrDirectory);
  EXPECT_EQ(ErrorOf([&] { host_.FileLen(home_.File("Ordner")); }), 53);
  EXPECT_EQ(ErrorOf([&] { host_.GetAttr(home_.File("fehlt/x")); }), 53);
  ASSERT_EQ(chmod(home_.File("Datei.txt").c_str(), 0444), 0);
  if (geteuid() != 0) {  // the superuser may write anything
    EXPECT_EQ(host_.GetAttr(home_.File("Datei.txt")),
              kAttrArchive | kAttrReadOnly);
  }
}

TEST_F(LinuxHostTest, DirListsMatchingNamesSorted) {
  for (const char* name :
       {"b.ini", "A.INI", "c.txt", "README", ".hidden.ini", "Ärger.ini"}) {
    testing::WriteFile(home_.File(name), "");
  }
  Mkdir("Sub.ini");
  using Names = std::vector<std::string>;
  const std::string folder = home_.path();
  EXPECT_EQ(host_.Dir(folder + "\\*.INI", 0),
            (Names{"A.INI", "b.ini", "Ärger.ini"}));
  EXPECT_EQ(host_.Dir(folder + "/*.ini", kAttrDirectory | kAttrHidden),
            (Names{".hidden.ini", "A.INI", "b.ini", "Sub.ini", "Ärger.ini"}));
  EXPECT_EQ(host_.Dir(folder + "/?.ini", 0), (Names{"A.INI", "b.ini"}));
  EXPECT_EQ(host_.Dir(folder + "/?RGER.*", 0), (Names{"Ärger.ini"}));
  EXPECT_EQ(host_.Dir(folder + "/SUB.INI/*", kAttrDirectory), Names{});
}

// ---- Process and user interface without hooks ----

TEST(DefaultButtonAnswerTest, AnswersTheDefaultButtonOfEachSet) {
  EXPECT_EQ(DefaultButtonAnswer(0), kMsgOk);
  EXPECT_EQ(DefaultButtonAnswer(1 | 0x100), kMsgCancel);
  EXPECT_EQ(DefaultButtonAnswer(2 | 0x200), kMsgIgnore);
  EXPECT_EQ(DefaultButtonAnswer(3 | 0x100), kMsgNo);
  EXPECT_EQ(DefaultButtonAnswer(4 | 0x200), kMsgYes);  // no third button
  EXPECT_EQ(DefaultButtonAnswer(3 | 0x300), kMsgYes);
  EXPECT_EQ(DefaultButtonAnswer(0xF), kMsgOk);
}

TEST(LinuxHostProcessTest, WorksWithoutHooks) {
  LinuxHost host;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(host.MsgBox("Weiter?", 4097, "Frage"), kMsgOk);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Frage: Weiter?\n");

  host.SetMousePointer(kPointerHourglass);
  EXPECT_EQ(host.GetMousePointer(), kPointerHourglass);
  std::thread([&] { EXPECT_EQ(host.GetMousePointer(), 0); }).join();
  host.SetMousePointer(0);

  EXPECT_EQ(host.ExecutableName(), "platform_test");
  testing::ScopedEnv variable("VX_HOST_TEST", "a=b");
  std::vector<std::string> environment = host.Environment();
  EXPECT_NE(
      std::find(environment.begin(), environment.end(), "VX_HOST_TEST=a=b"),
      environment.end());
}

}  // namespace
}  // namespace vx
