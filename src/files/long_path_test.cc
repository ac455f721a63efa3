// Spelling paths as the file system holds them, on real folders.

#include "files/long_path.h"

#include <gtest/gtest.h>

#include "files/files_test_util.h"
#include "support/fake_host.h"
#include "vx_taluvek/error.h"

namespace vx {
namespace {

TEST(LongPathTest, EveryNameTakesItsSpellingOnDisk) {
  testing::Installation inst;
  testing::MappedDrive drive(inst);
  testing::FakeHost host;
  drive.MakeFile("Daten~1\\Unter Ordner\\P.VX3DB");
  const char* cases[][2] = {
      {"t:\\DATEN~1\\unter ordner\\p.vx3db", "t:\\Daten~1\\Unter Ordner\\P.VX3DB"},
      {"T:\\daten~1\\.\\..\\DATEN~1\\", "T:\\Daten~1\\.\\..\\Daten~1\\"},
      {"T:\\DATEN~1\\Neu.VX3DB", "T:\\Daten~1\\Neu.VX3DB"},  // to be created
      {"T:\\DATEN\\P.VX3DB", "T:\\DATEN\\P.VX3DB"},  // no "~": not looked at
      {"T:\\FEHLT~1\\Neu.VX3DB", "T:\\FEHLT~1\\Neu.VX3DB"},  // missing folder
      {"Q:\\DATEN~1\\x", "Q:\\DATEN~1\\x"},  // unmapped drive
  };
  for (const auto& c : cases) EXPECT_EQ(File_getLongPath(c[0]), c[1]) << c[0];
  EXPECT_EQ(File_getLongPath(Replace(drive.HostPath("DATEN~1"), "/", "\\")),
            Replace(drive.HostPath("Daten~1"), "/", "\\"));  // a host path
  // Written with "/", the path keeps its folders and its separators.
  EXPECT_EQ(File_getLongPath(drive.HostPath("DATEN~1") + "/unter ordner/p.vx3db"),
            drive.HostPath("Daten~1") + "/Unter Ordner/P.VX3DB");
  EXPECT_EQ(File_getLongPath("T:/daten~1\\UNTER ORDNER/neu.txt"),
            "T:/Daten~1\\Unter Ordner/neu.txt");
  EXPECT_FALSE(Err().IsSet());
  EXPECT_TRUE(host.message_boxes.empty());

  testing::WriteFile(inst.File("Tarvano32.lic"), "");  // developer mode
  testing::RunInFreshThread([] { File_getLongPath("T:\\FEHLT~1\\Neu.VX3DB"); });
  ASSERT_EQ(host.message_boxes.size(), 1u);
  EXPECT_EQ(host.message_boxes[0].prompt,
            "Fehler: 53 File not found in File_getLongPath");
  EXPECT_EQ(host.message_boxes[0].style, 4096);
  EXPECT_EQ(host.message_boxes[0].title, "bIstEntwicklung");
}

}  // namespace
}  // namespace vx
