// Copying: the choice of copier, the statuses, the recovery copy, the
// progress meter, a database in use, a copy killed midway, and two
// processes making the same database from its template.

#include "files/file_copy.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "files/datei_operation.h"
#include "files/ensure_from_struktur.h"
#include "files/files_process_util.h"
#include "files/files_test_util.h"
#include "platform/linux_host.h"
#include "support/fake_host.h"
#include "vx_taluvek/components.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/meter.h"

namespace vx {
namespace {

using testing::ReadFile;

// A meter that records how it is moved.
class RecordingMeter : public Meter {
 public:
  explicit RecordingMeter(std::vector<std::string>* calls) : calls_(calls) {}
  void AllgmeterInit() override { calls_->push_back("Init"); }
  void AllgmeterStart(int64_t, const std::string& caption,
                      const std::string& line, int32_t minimum,
                      int32_t maximum, double total) override {
    calls_->push_back("Start " + caption + " " + line + " " +
                      std::to_string(minimum) + ".." + std::to_string(maximum) +
                      " " + std::to_string(static_cast<int64_t>(total)));
  }
  void AllgmeterUpdate(int32_t value) override {
    calls_->push_back(std::to_string(value));
  }
  void Stop() override { calls_->push_back("Stop"); }

 private:
  std::vector<std::string>* calls_;
};

class FileCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    inst.WriteSettings(
        "[Server]\nDatenbankArt=1\n[Datei Verzeichnisse]\nSTRUKTUREN=T:\\STRUK\\\n");
    drive.MakeFile("Q\\klein.txt", "klein");
    drive.MakeFolder("Z");
  }

  int32_t Copy(const std::string& from, const std::string& to,
               CopyFlags flags = {}) {
    std::string target = drive.Path(to);
    int32_t status = 12345;
    UFileCopy(drive.Path(from), target, status, flags);
    return status;
  }

  testing::Installation inst;
  testing::MappedDrive drive{inst};
  testing::FakeHost host;
};

TEST(ChooseCopierTest, ThresholdAndFlags) {
  CopyFlags none;
  EXPECT_EQ(ChooseCopier(kSmallFileBytes, none), Copier::kPlain);
  EXPECT_EQ(ChooseCopier(kSmallFileBytes + 1, none), Copier::kShell);
  CopyFlags block;
  block.block_copy_allowed = true;
  EXPECT_EQ(ChooseCopier(kSmallFileBytes, block), Copier::kPlain);
  EXPECT_EQ(ChooseCopier(kSmallFileBytes + 1, block), Copier::kBlockWithMeter);
  CopyFlags progress;
  progress.show_progress = true;
  EXPECT_EQ(ChooseCopier(10, progress), Copier::kShell);
  progress.block_copy_allowed = true;
  EXPECT_EQ(ChooseCopier(10, progress), Copier::kBlockWithMeter);
  CopyFlags shell = block;
  shell.shell_always = true;
  EXPECT_EQ(ChooseCopier(10, shell), Copier::kShell);
  EXPECT_EQ(ChooseCopier(kSmallFileBytes + 1, shell), Copier::kShell);
}

TEST_F(FileCopyTest, CopiesBothSidesOfTheThresholdAndReplacesTargets) {
  drive.MakeFile("Q\\genau.bin", std::string(kSmallFileBytes, 'a'));
  drive.MakeFile("Q\\gross.bin", std::string(kSmallFileBytes + 1, 'b'));
  drive.MakeFile("Z\\gross.bin", "alt");
  EXPECT_EQ(Copy("Q\\genau.bin", "Z\\genau.bin"), kCopyDone);
  EXPECT_EQ(Copy("Q\\gross.bin", "Z\\gross.bin"), kCopyDone);
  EXPECT_EQ(ReadFile(drive.HostPath("Z\\genau.bin")).size(), kSmallFileBytes);
  EXPECT_EQ(ReadFile(drive.HostPath("Z\\gross.bin")),
            std::string(kSmallFileBytes + 1, 'b'));
  // No temporary file is left beside the targets.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(drive.HostPath("Z")),
                          std::filesystem::directory_iterator()),
            2);
  EXPECT_EQ(host.mouse_pointer, 0);
  EXPECT_TRUE(host.message_boxes.empty());
}

TEST_F(FileCopyTest, InvalidArgumentsAndExistingTargets) {
  EXPECT_EQ(Copy("", "Z\\a.txt"), kErrFileNotFound);
  std::string empty;
  int32_t status = 0;
  UFileCopy(drive.Path("Q\\klein.txt"), empty, status, {});
  EXPECT_EQ(status, kErrFileNotFound);
  EXPECT_EQ(Copy("Q\\", "Z\\a.txt"), kErrFileNotFound);
  EXPECT_FALSE(std::filesystem::exists(drive.HostPath("Z\\a.txt")));

  drive.MakeFile("Z\\da.txt", "alt");
  CopyFlags check;
  check.check_target = true;
  EXPECT_EQ(Copy("Q\\klein.txt", "Z\\da.txt", check), kCopyTargetExisted);
  ASSERT_EQ(host.message_boxes.size(), 1u);
  EXPECT_EQ(host.message_boxes[0].style, 4160);
  EXPECT_EQ(host.message_boxes[0].prompt,
            "Kopieren nicht möglich!  \n\nZieldatei bereits vorhanden!      \n" +
                drive.Path("Z\\da.txt"));
  check.quiet = true;
  EXPECT_EQ(Copy("Q\\klein.txt", "Z\\da.txt", check), kCopyTargetExisted);
  EXPECT_EQ(host.message_boxes.size(), 1u);
  EXPECT_EQ(ReadFile(drive.HostPath("Z\\da.txt")), "alt");
}

TEST_F(FileCopyTest, RecoveryCopyAndFailure) {
  // The plain copy cannot make the missing folder; the shell's copy,
  // tried next, does.
  EXPECT_EQ(Copy("Q\\klein.txt", "Z\\neu\\tief\\a.txt"), kCopyDone);
  EXPECT_EQ(ReadFile(drive.HostPath("Z\\neu\\tief\\a.txt")), "klein");

  // A missing source fails in both, with the error dialog (which the
  // default dialog shows as a message box) unless quiet.
  EXPECT_EQ(Copy("Q\\fehlt.txt", "Z\\b.txt"), kErrFileNotFound);
  ASSERT_EQ(host.message_boxes.size(), 1u);
  EXPECT_NE(host.message_boxes[0].prompt.find(
                "...beim Kopieren von Quelle auf Ziel:\n\n" +
                drive.Path("Q\\fehlt.txt") + "\n" + drive.Path("Z\\b.txt")),
            std::string::npos);
  EXPECT_EQ(host.message_boxes[0].title, "Kopieren Dateien   vx_test");
  CopyFlags quiet;
  quiet.quiet = true;
  EXPECT_EQ(Copy("Q\\fehlt.txt", "Z\\b.txt", quiet), kErrFileNotFound);
  EXPECT_EQ(host.message_boxes.size(), 1u);
  EXPECT_EQ(host.mouse_pointer, 0);
}

TEST_F(FileCopyTest, ADatabaseInUseIsNeverOverwritten) {
  drive.MakeFile("Z\\PROJEKT.VX3DB", "Daten der anderen");
  drive.MakeFile("Q\\gross.bin", std::string(kSmallFileBytes + 1, 'b'));
  testing::DatabaseUser other(drive.HostPath("Z\\PROJEKT.VX3DB"));
  ASSERT_TRUE(other.running());
  CopyFlags quiet;
  quiet.quiet = true;
  EXPECT_EQ(Copy("Q\\klein.txt", "Z\\PROJEKT.VX3DB", quiet), 70);
  EXPECT_EQ(Copy("Q\\gross.bin", "Z\\PROJEKT.VX3DB", quiet), 70);
  quiet.block_copy_allowed = true;
  EXPECT_EQ(Copy("Q\\gross.bin", "Z\\PROJEKT.VX3DB", quiet), 70);
  EXPECT_EQ(ReadFile(drive.HostPath("Z\\PROJEKT.VX3DB")), "Daten der anderen");
  for (int16_t operation : {kFoMove, kFoRename, kFoDelete}) {
    Err().Clear();
    EXPECT_FALSE(DateiOperation(operation, drive.Path("Z\\PROJEKT.VX3DB"),
                                drive.Path("Z\\weg.VX3DB"), false, true, 0,
                                false));
    EXPECT_EQ(Err().Number(), 70) << operation;
  }
  EXPECT_EQ(ReadFile(drive.HostPath("Z\\PROJEKT.VX3DB")), "Daten der anderen");
}

TEST_F(FileCopyTest, TheMeterMovesBlockByBlock) {
  std::vector<std::string> calls;
  ComponentFactory previous = RegisterComponent(
      Meter::kProgramId,
      [&calls] { return std::make_shared<RecordingMeter>(&calls); });
  const int64_t length = (5 << 20) / 2;  // two and a half blocks
  drive.MakeFile("Q\\m.bin", std::string(static_cast<size_t>(length), 'm'));
  EXPECT_EQ(KopierenMitMeter(drive.Path("Q\\m.bin"), drive.Path("Z\\"), false,
                             true, true),
            static_cast<float>(length));
  EXPECT_EQ(ReadFile(drive.HostPath("Z\\m.bin")).size(),
            static_cast<size_t>(length));
  EXPECT_EQ(calls, (std::vector<std::string>{
                       "Init",
                       "Start Kopieren... m.bin   --->   m.bin 0..100 " +
                           std::to_string(length),
                       "40", "80", "100", "Stop"}));

  // A missing source copies nothing and says so when asked to.
  calls.clear();
  EXPECT_EQ(KopierenMitMeter(drive.Path("Q\\fehlt"), drive.Path("Z\\"), true,
                             true, true),
            0.0f);
  EXPECT_TRUE(calls.empty());
  ASSERT_EQ(host.message_boxes.size(), 1u);
  EXPECT_EQ(host.message_boxes[0].prompt,
            "Datei nicht gefunden\n" + drive.Path("Q\\fehlt"));

  // An existing target is kept unless the user agrees.
  host.message_box_answer = kMsgNo;
  EXPECT_EQ(KopierenMitMeter(drive.Path("Q\\klein.txt"), drive.Path("Z\\m.bin"),
                             true, false, false),
            0.0f);
  EXPECT_EQ(ReadFile(drive.HostPath("Z\\m.bin")).size(),
            static_cast<size_t>(length));
  RegisterComponent(Meter::kProgramId, previous);
}

// The meter the library brings along reports to the hosting program's
// progress hook, once for each percent it moves.
TEST_F(FileCopyTest, TheDefaultMeterReportsThroughTheProgressHook) {
  std::vector<ProgressReport> reports;
  const HostHooks before = *InstalledHostHooks();
  HostHooks hooks = before;
  hooks.progress = [&](const ProgressReport& r) { reports.push_back(r); };
  SetHostHooks(hooks);
  const size_t length = 3 << 20;
  drive.MakeFile("Q\\m.bin", std::string(length, 'm'));
  EXPECT_EQ(KopierenMitMeter(drive.Path("Q\\m.bin"), drive.Path("Z\\m.bin"),
                             false, true, true),
            static_cast<float>(length));
  SetHostHooks(before);
  ASSERT_EQ(reports.size(), 5u);
  EXPECT_EQ(reports[0].stage, ProgressReport::Stage::kStart);
  EXPECT_EQ(reports[0].caption, "Kopieren...");
  EXPECT_EQ(reports[0].total_bytes, static_cast<int64_t>(length));
  EXPECT_EQ(reports[1].percent, 34);
  EXPECT_EQ(reports[2].percent, 67);
  EXPECT_EQ(reports[3].percent, 100);
  EXPECT_EQ(reports[4].stage, ProgressReport::Stage::kStop);
}

// A copy killed at any moment leaves the old target or the complete new
// one, never a part.
TEST_F(FileCopyTest, AKilledCopyLeavesNoPartialTarget) {
  const std::string content = [] {
    std::string data(24 << 20, '\0');
    std::mt19937 random(7);
    for (char& c : data) c = static_cast<char>(random());
    return data;
  }();
  drive.MakeFile("Q\\gross.bin", content);
  const std::string target = drive.HostPath("Z\\gross.bin");
  auto copy_in_child = [&] {
    pid_t pid = fork();
    if (pid == 0) {
      CopyFlags flags;
      flags.quiet = true;
      flags.block_copy_allowed = true;
      _exit(Copy("Q\\gross.bin", "Z\\gross.bin", flags) == kCopyDone ? 0 : 1);
    }
    return pid;
  };
  // How long a whole copy takes here.
  auto begin = std::chrono::steady_clock::now();
  waitpid(copy_in_child(), nullptr, 0);
  const auto whole = std::chrono::steady_clock::now() - begin;
  ASSERT_EQ(ReadFile(target), content);

  std::mt19937 random(std::random_device{}());
  for (int round = 0; round < 8; ++round) {
    if (round % 2 == 0) {
      std::filesystem::remove(target);
    } else {
      testing::WriteFile(target, "alt");
    }
    pid_t pid = copy_in_child();
    std::this_thread::sleep_for(whole * (random() % 100) / 100);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    if (!std::filesystem::exists(target)) {
      EXPECT_EQ(round % 2, 0) << "the old target was lost";
      continue;
    }
    const std::string left = ReadFile(target);
    EXPECT_TRUE(left == content || (round % 2 == 1 && left == "alt"))
        << "round " << round << ": " << left.size() << " bytes";
  }
}

TEST_F(FileCopyTest, TwoProcessesEnsuringOneDatabaseCopyItOnce) {
  drive.MakeFile("STRUK\\PRJSTRUK.VX3DB",
                 std::string(kSmallFileBytes + 5, 's'));  // the shell copier
  for (int round = 0; round < 4; ++round) {
    std::filesystem::remove(drive.HostPath("Z\\PROJEKT.VX3DB"));
    auto ensure = [&] {
      return EnsureFromStruktur(drive.Path("Z\\PROJEKT.VX3DB"),
                                "PRJSTRUK.VX3DB") + 1;
    };
    std::vector<int> codes = testing::RunTogether({ensure, ensure, ensure});
    std::sort(codes.begin(), codes.end());
    EXPECT_EQ(codes, (std::vector<int>{0, 0, 2})) << "round " << round;
    EXPECT_EQ(ReadFile(drive.HostPath("Z\\PROJEKT.VX3DB")).size(),
              kSmallFileBytes + 5);
  }
  // Once there, it is left alone.
  testing::WriteFile(drive.HostPath("Z\\PROJEKT.VX3DB"), "eigene Daten");
  EXPECT_EQ(EnsureFromStruktur(drive.Path("Z\\PROJEKT.VX3DB"), "PRJSTRUK.VX3DB"),
            -1);
  EXPECT_EQ(ReadFile(drive.HostPath("Z\\PROJEKT.VX3DB")), "eigene Daten");
  // A missing template fails.
  EXPECT_EQ(EnsureFromStruktur(drive.Path("Z\\USER.VX3DB"), "FEHLT.VX3DB"), 0);
}

}  // namespace
}  // namespace vx
